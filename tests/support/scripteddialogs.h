#pragma once

#include "workbench/userdialogs.h"

#include <QList>
#include <QStringList>

// Dialogs answered by the test: each call takes the next scripted answer (OK, the
// empty file name and Cancel when none is left) and is recorded for reading back.
class ScriptedDialogs : public UserDialogs {
public:
    struct Message {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
    };
    struct FileRequest {
        QString filter;
        // The initial folder of an open dialog, the suggested path of a save dialog.
        QString initialFolder;
        bool save = false;
    };

    Answer message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                   Buttons buttons) override;
    QString openFileName(QWidget* parent, const QString& filter,
                         const QString& initialFolder) override;
    QString saveFileName(QWidget* parent, const QString& filter,
                         const QString& suggestedPath) override;
    std::optional<FontChoice> chooseFont(QWidget* parent, const QString& title,
                                         const FontChoice& initial) override;

    QList<Answer> messageAnswers;
    // Answers to open and save dialogs alike, in the order they are asked.
    QStringList fileAnswers;
    QList<std::optional<FontChoice>> fontAnswers;

    QList<Message> messages;
    QList<FileRequest> fileRequests;
    QStringList fontTitles;
    // Runs inside each message call, as the user would act while a box is up.
    std::function<void(const Message&)> onMessage;
};
