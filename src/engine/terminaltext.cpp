#include "engine/terminaltext.h"

#include <QCoreApplication>
#include <QLocale>

namespace TerminalText {

QString escaped(QStringView text, qsizetype limit) {
    const qsizetype shown = qMin(text.size(), qMax<qsizetype>(limit, 0));
    QString result;
    result.reserve(shown + 16);
    for (qsizetype index = 0; index < shown; ++index) {
        const char16_t code = text.at(index).unicode();
        if (code >= 0x20 && code < 0x7f) {
            result.append(QChar(code));
            continue;
        }
        switch (code) {
        case u'\t':
            result.append(QLatin1String("\\t"));
            break;
        case u'\r':
            result.append(QLatin1String("\\r"));
            break;
        case u'\n':
            result.append(QLatin1String("\\n"));
            break;
        default:
            // Board bytes arrive as Latin-1, one character each; wider characters
            // only come from elsewhere and are shown whole.
            result.append(code <= 0xff
                              ? QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'))
                              : QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0')));
        }
    }
    if (shown < text.size())
        result.append(QCoreApplication::translate("TerminalText", " ... and %1 more bytes")
                          .arg(QLocale().toString(text.size() - shown)));
    return result;
}

} // namespace TerminalText
