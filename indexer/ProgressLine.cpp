#include "indexer/ProgressLine.h"

#include <QString>

#include <unistd.h>

namespace trovi::indexer {

ProgressLine::ProgressLine(std::FILE* terminal)
    : m_terminal(terminal && isatty(fileno(terminal)) ? terminal : nullptr) {
    m_started.start();
}

void ProgressLine::update(int done, int total) {
    if (!m_terminal)
        return;
    const qint64 elapsed = m_started.elapsed();
    if (elapsed - m_lastDrawn < 200 && done < total)
        return;
    m_lastDrawn = elapsed;
    const double rate = elapsed > 0 ? done * 1000.0 / double(elapsed) : 0;
    QString line = QStringLiteral("%1/%2 files, %3/s").arg(done).arg(total).arg(qRound(rate));
    if (rate > 0 && done < total) {
        const qint64 left = qint64(double(total - done) / rate);
        line +=
            QStringLiteral(", about %1:%2 left").arg(left / 60).arg(left % 60, 2, 10, QChar(u'0'));
    }
    std::fprintf(m_terminal, "\r\033[K%s", line.toUtf8().constData());
    std::fflush(m_terminal);
    m_drawn = true;
}

void ProgressLine::finish() {
    if (m_terminal && m_drawn) {
        std::fputs("\r\033[K", m_terminal);
        std::fflush(m_terminal);
    }
    m_drawn = false;
}

} // namespace trovi::indexer
