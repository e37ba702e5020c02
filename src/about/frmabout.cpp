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
    Picture1 = named(new QLabel(this), "Picture1");
    Picture1->setPixmap(QApplication::windowIcon().pixmap(LogoSize, LogoSize));
    Picture1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    lblTitle = named(new QLabel(tr("Application Title"), this), "lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = named(new QLabel(tr("Version"), this), "lblVersion");
    Label1 = named(new QLabel(tr("A workbench for the Lumaret colour LCD controller board."), this),
                   "Label1");
    Label2 = named(new QLabel(tr("Copyright"), this), "Label2");
    Label3 = named(new QLabel(QStringLiteral("\u00A9"), this), "Label3");
    Label4 = named(new QLabel(tr("The Lumaret developers. All rights reserved."), this), "Label4");
    Label5 = named(new LinkLabel(webAddress().toDisplayString(), this), "Label5");
    Label5->setToolTip(tr("Open the Lumaret web page"));
    Line1 = separatorLine("Line1", this);
    Line1Lower = separatorLine("Line1", this);
    cmdOK = named(new QPushButton(tr("OK"), this), "cmdOK");
    cmdOK->setDefault(true);
    cmdSysInfo = named(new QPushButton(tr("&System Info..."), this), "cmdSysInfo");

    auto* notice = new QHBoxLayout;
    notice->addWidget(Label2);
    notice->addWidget(Label3);
    notice->addWidget(Label4);
    notice->addStretch();

    auto* text = new QVBoxLayout;
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addWidget(Label1);
    text->addWidget(Line1);
    text->addLayout(notice);
    text->addWidget(Label5, 0, Qt::AlignLeft);

    auto* top = new QHBoxLayout;
    top->addWidget(Picture1, 0, Qt::AlignTop);
    top->addLayout(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Line1Lower);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    connect(Label5, &LinkLabel::clicked, this, &frmAbout::Label5_Click);

    Form_Load();
}

void frmAbout::Form_Load() {
    setWindowTitle(tr("About ") + ApplicationTitle);
    lblVersion->setText(tr("Version ") + QString::number(VersionMajor) + QLatin1Char('.') +
                        QString::number(VersionMinor) + QLatin1Char('.') +
                        QString::number(VersionRevision));
    lblTitle->setText(ApplicationTitle);
}

void frmAbout::cmdOK_Click() {
    // Inside the main window the frame around the box is what closes.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::Label5_Click() {
    m_services.openUrl(webAddress());
}

void frmAbout::StartSysInfo() {
    const std::optional<SystemInformation::Program> tool =
        SystemInformation::find(*m_services.registry);
    if (tool && m_services.startProgram(tool->path, tool->arguments))
        return;
    m_workbench.dialogs().message(this, ApplicationTitle,
                                  tr("System Information Is Unavailable At This Time"),
                                  UserDialogs::Icon::Information);
}
