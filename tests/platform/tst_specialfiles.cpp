// Every reader of files that other programs put on the disk, given a FIFO, a
// link to /dev/zero or an oversized file where it expects a small regular
// file: it returns at once with nothing and says once what it skipped,
// instead of hanging the search or filling the memory.

#include "db/SqliteDatabase.h"
#include "launcher/core/RegularFile.h"
#include "launcher/engine/sources/browser/ChromiumBookmarks.h"
#include "launcher/engine/sources/browser/FirefoxBookmarks.h"
#include "launcher/engine/sources/paths/CatalogDiscovery.h"
#include "launcher/engine/sources/paths/ShortcutUsageKey.h"
#include "launcher/platform/linux/DesktopEntry.h"
#include "launcher/platform/linux/XdgAutostartLoginItem.h"
#include "tests/support/Files.h"
#include "tests/support/StderrCapture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

using namespace trovi;
using trovi::platform::XdgAutostartLoginItem;

namespace {

// A reader, told the temporary root; true when it found nothing.
using Reader = std::function<bool(const QString& root)>;

struct ReaderCase {
    const char* name;
    QString path; // below the root
    qint64 cap;
    Reader read;
};

QList<ReaderCase> readers() {
    return {
        {"link file", "Downloads/a.url", file_caps::linkFile,
         [](const QString& root) { return !shortcutUsageKey(root + "/Downloads/a.url"); }},
        {"Chromium bookmarks", "Default/Bookmarks", file_caps::bookmarkFile,
         [](const QString& root) {
             return parseChromiumBookmarks(root + "/Default/Bookmarks", "Chromium").isEmpty();
         }},
        {"Firefox profiles.ini", "profiles.ini", file_caps::settingsFile,
         [](const QString& root) { return firefoxProfileFolders(root).isEmpty(); }},
        {"Firefox places log", "places.sqlite-wal", file_caps::browserDatabase,
         [](const QString& root) {
             return readFirefoxBookmarks(root + "/places.sqlite", "Firefox").isEmpty();
         }},
        {"desktop entry", "applications/a.desktop", file_caps::settingsFile,
         [](const QString& root) { return !platform::readDesktopEntry(root + "/applications/a.desktop"); }},
        {"autostart entry", "autostart/trovi-launcher.desktop", file_caps::settingsFile,
         [](const QString& root) {
             XdgAutostartLoginItem item("/usr/bin/trovi", root + "/autostart");
             return item.currentState() == LaunchAtLoginState::disabled;
         }},
    };
}

} // namespace

class TestSpecialFiles : public QObject {
    Q_OBJECT

    // Runs `read` on a thread of its own, so a reader that blocks fails the
    // test instead of hanging it.
    static std::optional<bool> runBounded(const Reader& read, const QString& root) {
        struct Outcome {
            std::atomic<bool> done = false;
            bool nothing = false;
        };
        auto outcome = std::make_shared<Outcome>();
        std::thread([outcome, read, root] {
            outcome->nothing = read(root);
            outcome->done = true;
        }).detach();
        if (!QTest::qWaitFor([&] { return outcome->done.load(); }, 30000))
            return std::nullopt;
        return outcome->nothing;
    }

private Q_SLOTS:
    void specialFileIsSkippedAndSaidOnce_data() {
        QTest::addColumn<int>("reader");
        QTest::addColumn<QString>("kind");
        const QList<ReaderCase> all = readers();
        for (int i = 0; i < all.size(); ++i)
            for (const char* kind : {"FIFO", "link to /dev/zero", "oversized"})
                QTest::addRow("%s, %s", all[i].name, kind) << i << QString(kind);
    }

    void specialFileIsSkippedAndSaidOnce() {
        QFETCH(int, reader);
        QFETCH(QString, kind);
        const ReaderCase subject = readers().at(reader);
        QTemporaryDir dir;
        const QString root = dir.path();
        const QString path = root + u'/' + subject.path;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        if (subject.path == "places.sqlite-wal") {
            auto places = db::Connection::open(root + "/places.sqlite", db::ReadWrite | db::Create);
            QVERIFY(places);
            QVERIFY(!places->execute(test::readFile(TROVI_FIXTURES_DIR "/browser/places.sql")));
        }
        if (kind == "FIFO") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == "oversized") {
            QFile file(path); // sparse: no disk space used
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(subject.cap + 1));
        } else {
            QVERIFY(QFile::link("/dev/zero", path));
        }

        test::StderrCapture capture;
        for (int time = 0; time < 2; ++time)
            QCOMPARE(runBounded(subject.read, root), std::optional<bool>(true));
        const QString said = capture.finish();
        QCOMPARE(said.count(path), 1);
        QVERIFY2(said.contains(kind == "oversized" ? "larger than" : "not a regular file"),
                 qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(TestSpecialFiles)
#include "tst_specialfiles.moc"
