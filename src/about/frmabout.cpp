#include "about/frmabout.h"

#include "about/linklabel.h"
#include "about/registry.h"
#include "about/systeminformation.h"
#include "buildinfo.h"
#include "workbench/named.h"
#include "workbench/userdialogs.h"
#include "workbench/workbench.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int LogoSize = 64;
constexpr int VersionMajor = BuildInfo::VersionMajor;
constexpr int VersionMinor = BuildInfo::VersionMinor;
constexpr int VersionRevision = BuildInfo::VersionPatch;

QFrame* separatorLine(const char* name, QWidget* parent) {
    auto* line = named(new QFrame(parent), name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

const QString frmAbout::ApplicationTitle = QStringLiteral("Lumaret");

QUrl frmAbout::webAddress() {
    return QUrl(QString::fromLatin1(BuildInfo::Homepage));
}

frmAbout::Services frmAbout::Services::system() {
    return {Registry::system(),
            [](const QString& program, const QStringList& arguments) {
                return QProcess::startDetached(program, arguments);
            },
            [](const QUrl& address) { QDesktopServices::openUrl(address); }};
}

frmAbout::frmAbout(Workbench& workbench, QWidget* parent)
    : QWidget(parent)
    , m_workbench(workbench)
    , m_services(Services::system()) {
    m_logo = named(new QLabel(this), "Picture1");
    m_logo->setPixmap(QApplication::windowIcon().pixmap(LogoSize, LogoSize));
    m_logo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_titleLabel = named(new QLabel(tr("Application Title"), this), "lblTitle");
    QFont titleFont = m_titleLabel->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    m_titleLabel->setFont(titleFont);
    m_versionLabel = named(new QLabel(tr("Version"), this), "lblVersion");
    m_descriptionLabel = named(
        new QLabel(tr("A workbench for the Lumaret colour LCD controller board."), this), "Label1");
    m_copyrightLabel = named(new QLabel(tr("Copyright"), this), "Label2");
    m_noticeLabel = named(new QLabel(QStringLiteral("\u00A9"), this), "Label3");
    m_warningLabel =
        named(new QLabel(tr("The Lumaret developers. All rights reserved."), this), "Label4");
    m_webLink = named(new LinkLabel(webAddress().toDisplayString(), this), "Label5");
    m_webLink->setToolTip(tr("Open the Lumaret web page"));
    m_upperLine = separatorLine("Line1", this);
    m_lowerLine = separatorLine("Line1", this);
    m_okButton = named(new QPushButton(tr("OK"), this), "cmdOK");
    m_okButton->setDefault(true);
    m_systemInfoButton = named(new QPushButton(tr("&System Info..."), this), "cmdSysInfo");

    auto* notice = new QHBoxLayout;
    notice->addWidget(m_copyrightLabel);
    notice->addWidget(m_noticeLabel);
    notice->addWidget(m_warningLabel);
    notice->addStretch();

    auto* text = new QVBoxLayout;
    text->addWidget(m_titleLabel);
    text->addWidget(m_versionLabel);
    text->addWidget(m_descriptionLabel);
    text->addWidget(m_upperLine);
    text->addLayout(notice);
    text->addWidget(m_webLink, 0, Qt::AlignLeft);

    auto* top = new QHBoxLayout;
    top->addWidget(m_logo, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_systemInfoButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_lowerLine);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_okButton, &QPushButton::clicked, this, &frmAbout::closeBox);
    connect(m_systemInfoButton, &QPushButton::clicked, this, &frmAbout::showSystemInformation);
    connect(m_webLink, &LinkLabel::clicked, this, &frmAbout::openWebPage);

    fillIn();
}

void frmAbout::fillIn() {
    setWindowTitle(tr("About ") + ApplicationTitle);
    m_versionLabel->setText(tr("Version ") + QString::number(VersionMajor) + QLatin1Char('.') +
                            QString::number(VersionMinor) + QLatin1Char('.') +
                            QString::number(VersionRevision));
    m_titleLabel->setText(ApplicationTitle);
}

void frmAbout::closeBox() {
    // Inside the main window the frame around the box is what closes.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void frmAbout::showSystemInformation() {
    startSystemInformation();
}

void frmAbout::openWebPage() {
    m_services.openUrl(webAddress());
}

void frmAbout::startSystemInformation() {
    const std::optional<SystemInformation::Program> tool =
        SystemInformation::find(*m_services.registry);
    if (tool && m_services.startProgram(tool->path, tool->arguments))
        return;
    m_workbench.dialogs().message(this, ApplicationTitle,
                                  tr("System Information Is Unavailable At This Time"),
                                  UserDialogs::Icon::Information);
}
