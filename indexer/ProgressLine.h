#pragma once
// "1200/20000 files, 850/s, about 0:20 left" on one terminal line, redrawn at
// most a few times a second; nothing at all when stderr is not a terminal.

#include <QElapsedTimer>

#include <cstdio>

namespace trovi::indexer {

class ProgressLine {
public:
    explicit ProgressLine(std::FILE* terminal);
    bool isShown() const { return m_terminal != nullptr; }
    void update(int done, int total);
    void finish(); // clears the line

private:
    std::FILE* m_terminal;
    QElapsedTimer m_started;
    qint64 m_lastDrawn = -1000;
    bool m_drawn = false;
};

} // namespace trovi::indexer
