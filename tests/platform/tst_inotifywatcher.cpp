#include "launcher/platform/linux/InotifyShortcutRootWatcher.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <memory>

using namespace trovi;
using namespace Qt::StringLiterals;
using trovi::test::writeFile;

namespace {

// Generous: the callback comes from another thread on a possibly busy machine.
constexpr int kTimeoutMs = 10000;

// Outlives the watcher, so a callback after destruction is counted, not a crash.
struct Counter {
    std::atomic<int> calls{0};
};

std::unique_ptr<ShortcutRootWatcher> watch(const QStringList& roots, double delay,
                                           const std::shared_ptr<Counter>& counter) {
    return InotifyShortcutRootWatcher::create(roots, delay, [counter] { ++counter->calls; });
}

} // namespace

class TestInotifyWatcher : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rootsAreReducedToExistingFolders() {
        QTemporaryDir dir;
        const QString root = dir.path();
        QVERIFY(writeFile(root + "/file"));
        QCOMPARE(watchableShortcutRoots({root + "/missing", root + "/", root + "/file", root, ""}),
                 QStringList{root});
        auto counter = std::make_shared<Counter>();
        QVERIFY(!watch({root + "/missing", root + "/file"}, 0.1, counter));
    }

    void burstOfChangesGivesOneCallback() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("Sub/Deeper"));
        auto counter = std::make_shared<Counter>();
        const auto watcher = watch({dir.path()}, 0.25, counter);
        QVERIFY(watcher);
        for (int i = 0; i < 20; ++i)
            QVERIFY(writeFile(dir.path() +
                              QString(i % 2 ? "/Sub/Deeper/link%1.url" : "/file%1.url").arg(i)));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 1, kTimeoutMs);
        // Give a second, wrongly uncoalesced callback time to show up.
        QTest::qWait(750);
        QCOMPARE(counter->calls.load(), 1);
    }

    void newMovedInAndRecreatedFoldersAreWatched() {
        QTemporaryDir outside;
        QTemporaryDir dir;
        const QString root = dir.path() + "/Sync";
        QVERIFY(QDir(outside.path()).mkpath("Bundle/Inner"));
        QVERIFY(QDir().mkpath(root));
        auto counter = std::make_shared<Counter>();
        const auto watcher = watch({root}, 0.1, counter);
        QVERIFY(watcher);

        // Created in one go: the inner folders exist before a watch can be
        // put on their parent.
        QVERIFY(QDir(root).mkpath("New/A/B"));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 1, kTimeoutMs);
        QVERIFY(writeFile(root + "/New/A/B/inside.url"));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 2, kTimeoutMs);
        // Moved in from outside the watched roots.
        QVERIFY(QDir().rename(outside.path() + "/Bundle", root + "/Bundle"));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 3, kTimeoutMs);
        QVERIFY(writeFile(root + "/Bundle/Inner/x.url"));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 4, kTimeoutMs);
        // The root itself deleted and created again.
        QVERIFY(QDir(root).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 5, kTimeoutMs);
        QVERIFY(QDir().mkpath(root));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 6, kTimeoutMs);
        QVERIFY(writeFile(root + "/back.url"));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 7, kTimeoutMs);
    }

    void noCallbackAfterDestruction() {
        QTemporaryDir dir;
        auto counter = std::make_shared<Counter>();
        auto canary = std::make_shared<Counter>();
        auto watcher = watch({dir.path()}, 0.2, counter);
        const auto canaryWatcher = watch({dir.path()}, 0.0, canary);
        QVERIFY(watcher && canaryWatcher);
        QVERIFY(writeFile(dir.path() + "/pending.url"));
        // Once the canary has seen the change, the watcher's callback is due
        // 0.2 s later; destroying it now must cancel that.
        QTRY_VERIFY_WITH_TIMEOUT(canary->calls.load() >= 1, kTimeoutMs);
        watcher.reset();
        QTest::qWait(600);
        QCOMPARE(counter->calls.load(), 0);
    }

    void stopFromInsideTheCallback() {
        QTemporaryDir dir;
        auto counter = std::make_shared<Counter>();
        std::atomic<ShortcutRootWatcher*> self{nullptr};
        auto watcher = InotifyShortcutRootWatcher::create({dir.path()}, 0.05, [&, counter] {
            ++counter->calls;
            if (ShortcutRootWatcher* w = self.load())
                w->stop();
        });
        QVERIFY(watcher);
        self.store(watcher.get());
        QVERIFY(writeFile(dir.path() + "/one.url"));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 1, kTimeoutMs);
        QVERIFY(writeFile(dir.path() + "/two.url"));
        QTest::qWait(300);
        QCOMPARE(counter->calls.load(), 1);
        watcher.reset(); // after a stop from the callback, destruction still ends cleanly
    }
};

QTEST_GUILESS_MAIN(TestInotifyWatcher)
#include "tst_inotifywatcher.moc"
