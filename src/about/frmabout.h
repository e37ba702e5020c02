#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>

class LinkLabel;
class QFrame;
class QLabel;
class QPushButton;
class Registry;
class Workbench;

// The About box: the program's title and version, its logo and notice, the system
// information tool and the project's web page.
class frmAbout : public QWidget {
    Q_OBJECT
public:
    // What the box asks of the desktop; tests put their own.
    struct Services {
        std::shared_ptr<const Registry> registry;
        // Starts a program on its own; false when it could not be started.
        std::function<bool(const QString& program, const QStringList& arguments)> startProgram;
        // Hands an address to the desktop's web browser.
        std::function<void(const QUrl& address)> openUrl;

        static Services system();
    };

    static const QString ApplicationTitle;
    static QUrl webAddress();

    explicit frmAbout(Workbench& workbench, QWidget* parent = nullptr);

    void setServices(const Services& services) { m_services = services; }

    // Starts the system information tool, or tells the user that there is none.
    void startSystemInformation();

private Q_SLOTS:
    void closeBox();
    void showSystemInformation();
    void openWebPage();

private:
    void fillIn();

    Workbench& m_workbench;
    Services m_services;

    QLabel* m_logo;
    QLabel* m_titleLabel;
    QLabel* m_versionLabel;
    QLabel* m_descriptionLabel;
    QLabel* m_copyrightLabel;
    QLabel* m_noticeLabel;
    QLabel* m_warningLabel;
    LinkLabel* m_webLink;
    QFrame* m_upperLine;
    QFrame* m_lowerLine;
    QPushButton* m_okButton;
    QPushButton* m_systemInfoButton;
};
