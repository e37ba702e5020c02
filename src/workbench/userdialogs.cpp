#include "workbench/userdialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QFormLayout>
#include <QMessageBox>
#include <QStringList>
#include <QVBoxLayout>

namespace {

QMessageBox::Icon messageIcon(UserDialogs::Icon icon) {
    switch (icon) {
    case UserDialogs::Icon::Information:
        return QMessageBox::Information;
    case UserDialogs::Icon::Warning:
        return QMessageBox::Warning;
    case UserDialogs::Icon::Critical:
        return QMessageBox::Critical;
    case UserDialogs::Icon::Question:
        return QMessageBox::Question;
    case UserDialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The sixteen colours a desktop font dialog offers for the font colour.
const QList<QPair<QString, QColor>>& fontColors() {
    static const QList<QPair<QString, QColor>> colors{
        {QStringLiteral("Black"), QColor(0, 0, 0)},
        {QStringLiteral("Maroon"), QColor(128, 0, 0)},
        {QStringLiteral("Green"), QColor(0, 128, 0)},
        {QStringLiteral("Olive"), QColor(128, 128, 0)},
        {QStringLiteral("Navy"), QColor(0, 0, 128)},
        {QStringLiteral("Purple"), QColor(128, 0, 128)},
        {QStringLiteral("Teal"), QColor(0, 128, 128)},
        {QStringLiteral("Gray"), QColor(128, 128, 128)},
        {QStringLiteral("Silver"), QColor(192, 192, 192)},
        {QStringLiteral("Red"), QColor(255, 0, 0)},
        {QStringLiteral("Lime"), QColor(0, 255, 0)},
        {QStringLiteral("Yellow"), QColor(255, 255, 0)},
        {QStringLiteral("Blue"), QColor(0, 0, 255)},
        {QStringLiteral("Fuchsia"), QColor(255, 0, 255)},
        {QStringLiteral("Aqua"), QColor(0, 255, 255)},
        {QStringLiteral("White"), QColor(255, 255, 255)},
    };
    return colors;
}

// A box asked for by no window in particular belongs to the one the user works in.
QWidget* ownerOf(QWidget* parent) {
    return parent ? parent : QApplication::activeWindow();
}

} // namespace

UserDialogs::Answer QtUserDialogs::message(QWidget* parent, const QString& title,
                                           const QString& text, Icon icon, Buttons buttons) {
    QMessageBox box(messageIcon(icon), title, text,
                    buttons == Buttons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                 : QMessageBox::Ok,
                    ownerOf(parent));
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

QString QtUserDialogs::openFileName(QWidget* parent, const QString& filter,
                                    const QString& initialFolder) {
    return QFileDialog::getOpenFileName(parent, QString(), initialFolder, qtFilter(filter));
}

QString QtUserDialogs::saveFileName(QWidget* parent, const QString& filter,
                                    const QString& suggestedPath) {
    return QFileDialog::getSaveFileName(parent, QString(), suggestedPath, qtFilter(filter));
}

std::optional<UserDialogs::FontChoice>
QtUserDialogs::chooseFont(QWidget* parent, const QString& title, const FontChoice& initial) {
    // Qt's font dialog has no colour; the board tools expect one, so it gets a colour list.
    QDialog dialog(parent);
    dialog.setWindowTitle(title);
    auto* fonts = new QFontDialog(initial.font, &dialog);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons);
    auto* color = new QComboBox(&dialog);
    for (const auto& [name, value] : fontColors())
        color->addItem(name, value);
    const int initialColor = color->findData(initial.color);
    color->setCurrentIndex(initialColor < 0 ? 0 : initialColor);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* colorRow = new QFormLayout;
    colorRow->addRow(QObject::tr("Color:"), color);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(fonts);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return FontChoice{fonts->currentFont(), color->currentData().value<QColor>()};
}

QString QtUserDialogs::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        const QStringList given = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // File systems that tell case apart would hide "photo.jpg" from "*.JPG".
        for (const QString& pattern : given) {
            for (const QString& variant : {pattern, pattern.toLower(), pattern.toUpper()}) {
                if (!patterns.contains(variant))
                    patterns.append(variant);
            }
        }
        filters.append(parts.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}
