#include "StartupTrace.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace trovi::app {

namespace {

// "exit": the launcher leaves right after its first frame, so a profiler
// (perf, callgrind) sees exactly the cold start.
bool quitsAfterFirstPaint() {
    static const bool quits = qEnvironmentVariable("TROVI_TRACE_STARTUP") == QLatin1String("exit");
    return quits;
}

using Clock = std::chrono::steady_clock;

// Taken while the full program's static objects are built, once it and Qt
// are loaded; "exec to load" covers the front end and the loading.
const Clock::time_point loadedAt = Clock::now();

bool enabled() {
    static const bool on =
        qEnvironmentVariable("TROVI_TRACE_STARTUP") == QLatin1String("1") || quitsAfterFirstPaint();
    return on;
}

// How long ago the kernel started the process, in clock ticks (10 ms steps
// on most systems): what the loader took before loadedAt.
double millisecondsSinceExec() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name, which may hold spaces and parentheses.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double startTicks = fields[19].toDouble();
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (double(now.tv_sec) + double(now.tv_nsec) / 1e9 - startTicks / ticks) * 1000;
}

class FirstPaintTrace : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            traceStartup("first paint of the window");
            if (quitsAfterFirstPaint())
                QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                          Qt::QueuedConnection);
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }
};

} // namespace

void traceFirstPaint(QWidget& window) {
    if (enabled())
        window.installEventFilter(new FirstPaintTrace(&window));
}

void traceStartup(const char* phase) {
    if (!enabled())
        return;
    static bool first = true;
    if (first) {
        first = false;
        const double sinceLoaded =
            std::chrono::duration<double, std::milli>(Clock::now() - loadedAt).count();
        std::fprintf(stderr, "trovi startup: exec to load ~%.0f ms (10 ms steps)\n",
                     millisecondsSinceExec() - sinceLoaded);
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - loadedAt).count();
    std::fprintf(stderr, "trovi startup: %8.1f ms  %s\n", ms, phase);
}

} // namespace trovi::app
