#include "TerminalOutput.h"

namespace trovi::app {

QString terminalSafe(const QString& text) {
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
            safe += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        else
            safe += c;
    }
    return safe;
}

void printLine(FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", terminalSafe(line).toUtf8().constData());
}

} // namespace trovi::app
