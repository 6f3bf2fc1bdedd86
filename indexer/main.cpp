// trovi-index: keeps the document index the launcher searches
// (~/.pelmora/index.db) in step with the user's documents.

#include "indexer/FolderWatcher.h"
#include "indexer/IndexConfig.h"
#include "indexer/Indexer.h"
#include "indexer/ProgressLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace trovi::indexer;

namespace {

const char* const kUsage =
    "usage: trovi-index [--add PATH]... [--remove PATH]... [--watch] [--json]\n"
    "  Indexes the XDG Documents, Desktop and Download folders and the folders\n"
    "  added in $XDG_CONFIG_HOME/trovi-launcher/indexer.conf into ~/.pelmora/index.db.\n"
    "  --add PATH     index PATH too (saved in the config file)\n"
    "  --remove PATH  stop indexing PATH (saved in the config file)\n"
    "  --watch        keep the index current as files change (idle priority)\n"
    "  --json         print a summary of each pass as JSON\n";

void say(const QString& line) {
    std::fputs(QString(QStringLiteral("trovi-index: ") + line + u'\n').toLocal8Bit().constData(),
               stderr);
}

int usageError(const QString& line) {
    say(line);
    std::fputs(kUsage, stderr);
    return 2;
}

int g_stopPipe[2] = {-1, -1};

void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_stopPipe[1], &byte, 1);
}

// Watching runs for hours beside the user's work: it takes only idle CPU and
// disk time.
void becomeIdle() {
    sched_param param{};
    sched_setscheduler(0, SCHED_IDLE, &param);
    setpriority(PRIO_PROCESS, 0, 19);
    constexpr int kClassIdle = 3, kClassShift = 13, kWhoProcess = 1;
    syscall(SYS_ioprio_set, kWhoProcess, 0, kClassIdle << kClassShift);
}

// One pass at a time per index, so a manual run waits for the watcher's pass.
class PassLock {
public:
    explicit PassLock(const QString& databasePath) {
        const QByteArray path = QFile::encodeName(databasePath + QStringLiteral(".lock"));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd >= 0 && flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            say(QStringLiteral("another trovi-index is writing the index; waiting for it"));
            while (flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~PassLock() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PassLock(const PassLock&) = delete;
    PassLock& operator=(const PassLock&) = delete;

private:
    int m_fd = -1;
};

QJsonObject toJson(const IndexSummary& summary, qint64 milliseconds, const QString& database) {
    return {{"database", database},         {"files", summary.files},
            {"added", summary.added},       {"updated", summary.updated},
            {"moved", summary.moved},       {"retagged", summary.retagged},
            {"removed", summary.removed},   {"unchanged", summary.unchanged},
            {"nameOnly", summary.nameOnly}, {"seconds", double(milliseconds) / 1000.0}};
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList adds, removes;
    bool watch = false, json = false;
    const QStringList args = app.arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (arg == u"--help" || arg == u"-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == u"--watch") {
            watch = true;
        } else if (arg == u"--json") {
            json = true;
        } else if (arg == u"--add" || arg == u"--remove") {
            if (i + 1 >= args.size())
                return usageError(arg + QStringLiteral(" needs a folder"));
            (arg == u"--add" ? adds : removes)
                << QDir::cleanPath(QDir().absoluteFilePath(args[++i]));
        } else {
            return usageError(QStringLiteral("unknown argument: ") + arg);
        }
    }

    const QString home = QDir::homePath();
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.startsWith(u'/'))
        configHome = home + QStringLiteral("/.config");
    const QString configFile = IndexConfig::defaultConfigFile(configHome);
    const QStringList defaults = IndexConfig::defaultRoots(home, configHome);
    for (const QString& path : adds) {
        if (!QFileInfo(path).isDir()) {
            say(path + QStringLiteral(": no such folder"));
            return 1;
        }
        if (auto error = IndexConfig::addRoot(configFile, path, defaults)) {
            say(error->message);
            return 1;
        }
    }
    for (const QString& path : removes)
        if (auto error = IndexConfig::removeRoot(configFile, path, defaults)) {
            say(error->message);
            return 1;
        }
    QStringList warnings;
    const IndexConfig config = IndexConfig::load(configFile, home, configHome, &warnings);
    for (const QString& warning : warnings)
        say(warning);

    const QString databasePath = IndexDatabase::defaultPath(home);
    auto database = IndexDatabase::open(databasePath);
    if (!database) {
        say(database.error().message);
        return 1;
    }

    if (watch)
        becomeIdle();
    ExtractorRegistry extractors;
    IndexOptions options;
    options.roots = config.roots;
    options.maxFileBytes = config.maxFileBytes;
    Indexer indexer(database.value(), extractors, options, say);

    auto pass = [&](bool showProgress) {
        PassLock lock(databasePath);
        ProgressLine line(showProgress ? stderr : nullptr);
        QElapsedTimer timer;
        timer.start();
        auto summary = indexer.run([&](int done, int total) { line.update(done, total); });
        line.finish();
        if (!summary) {
            say(summary.error().message);
            return false;
        }
        const IndexSummary& s = summary.value();
        if (json)
            std::printf("%s\n", QJsonDocument(toJson(s, timer.elapsed(), databasePath))
                                    .toJson(QJsonDocument::Compact)
                                    .constData());
        else if (line.isShown())
            std::fprintf(stderr, "%d files: %d added, %d updated, %d moved, %d removed in %.1f s\n",
                         s.files, s.added, s.updated, s.moved, s.removed,
                         double(timer.elapsed()) / 1000.0);
        std::fflush(stdout);
        return true;
    };

    if (!watch)
        return pass(true) ? 0 : 1;

    if (pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return 1;
    std::signal(SIGTERM, onStopSignal);
    std::signal(SIGINT, onStopSignal);
    // Quiet for a second, or every ten seconds during a long copy.
    FolderWatcher watcher(1000, 10000);
    if (!watcher.isValid()) {
        say(QStringLiteral("cannot watch folders (inotify unavailable)"));
        return 1;
    }
    if (!pass(false))
        return 1;
    while (true) {
        watcher.setFolders(indexer.folders());
        if (!watcher.waitForChanges(g_stopPipe[0]))
            return 0;
        // A failed pass (a locked or full disk) is retried on the next change.
        pass(false);
    }
}
