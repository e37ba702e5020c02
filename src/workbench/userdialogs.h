#pragma once

#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QWidget;

// Every message box and file or font dialog of the program goes through here, so
// that tests can answer them and read back what the user would have seen.
class UserDialogs {
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel };

    struct FontChoice {
        QFont font;
        QColor color = Qt::black;
    };

    virtual ~UserDialogs() = default;

    virtual Answer message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                           Buttons buttons = Buttons::Ok) = 0;
    // filter: "Description|patterns|Description|patterns|" with patterns separated by
    // ";". Returns the chosen path, or "" when the user cancelled.
    virtual QString openFileName(QWidget* parent, const QString& filter,
                                 const QString& initialFolder) = 0;
    // The same filter form; suggestedPath names the folder and file offered first.
    // Returns the chosen path, or "" when the user cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& filter,
                                 const QString& suggestedPath) = 0;
    // Returns nothing when the user cancelled.
    virtual std::optional<FontChoice> chooseFont(QWidget* parent, const QString& title,
                                                 const FontChoice& initial) = 0;
};

// Dialogs nobody sees: every one is cancelled at once. For windows made only to be
// measured, whose opening step asks the user something.
class UnseenDialogs : public UserDialogs {
public:
    Answer message(QWidget*, const QString&, const QString&, Icon, Buttons) override {
        return Answer::Cancel;
    }
    QString openFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    std::optional<FontChoice> chooseFont(QWidget*, const QString&, const FontChoice&) override {
        return std::nullopt;
    }
};

// The real dialogs.
class QtUserDialogs : public UserDialogs {
public:
    Answer message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                   Buttons buttons) override;
    QString openFileName(QWidget* parent, const QString& filter,
                         const QString& initialFolder) override;
    QString saveFileName(QWidget* parent, const QString& filter,
                         const QString& suggestedPath) override;
    std::optional<FontChoice> chooseFont(QWidget* parent, const QString& title,
                                         const FontChoice& initial) override;

    // "Image Files(*.BMP;*.JPG)|*.BMP;*.JPG|" becomes "Image Files(*.BMP;*.JPG) (*.BMP *.JPG)".
    static QString qtFilter(const QString& filter);
};
