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
        QVERIFY(writeFile(root + u"/file"_s));
        QCOMPARE(watchableShortcutRoots(
                     {root + u"/missing"_s, root + u"/"_s, root + u"/file"_s, root, u""_s}),
                 QStringList{root});
        auto counter = std::make_shared<Counter>();
        QVERIFY(!watch({root + u"/missing"_s, root + u"/file"_s}, 0.1, counter));
    }

    void burstOfChangesGivesOneCallback() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"Sub/Deeper"_s));
        auto counter = std::make_shared<Counter>();
        const auto watcher = watch({dir.path()}, 0.25, counter);
        QVERIFY(watcher);
        for (int i = 0; i < 20; ++i)
            QVERIFY(writeFile(dir.path() +
                              (i % 2 ? u"/Sub/Deeper/link%1.url"_s : u"/file%1.url"_s).arg(i)));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 1, kTimeoutMs);
        // Give a second, wrongly uncoalesced callback time to show up.
        QTest::qWait(750);
        QCOMPARE(counter->calls.load(), 1);
    }

    void newAndMovedInFoldersAreWatched() {
        QTemporaryDir outside;
        QTemporaryDir dir;
        const QString root = dir.path();
        QVERIFY(QDir(outside.path()).mkpath(u"Bundle/Inner"_s));
        auto counter = std::make_shared<Counter>();
        const auto watcher = watch({root}, 0.1, counter);
        QVERIFY(watcher);

        // Created in one go: the inner folders exist before a watch can be
        // put on their parent.
        QVERIFY(QDir(root).mkpath(u"New/A/B"_s));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 1, kTimeoutMs);
        QVERIFY(writeFile(root + u"/New/A/B/inside.url"_s));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 2, kTimeoutMs);
        // Moved in from outside the watched roots.
        QVERIFY(QDir().rename(outside.path() + u"/Bundle"_s, root + u"/Bundle"_s));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 3, kTimeoutMs);
        QVERIFY(writeFile(root + u"/Bundle/Inner/x.url"_s));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 4, kTimeoutMs);
    }

    void aRootDeletedAndCreatedAgainIsWatchedAgain() {
        QTemporaryDir dir;
        const QString root = dir.path() + u"/Sync"_s;
        QVERIFY(QDir().mkpath(root + u"/Sub"_s));
        auto counter = std::make_shared<Counter>();
        const auto watcher = watch({root}, 0.2, counter);
        QVERIFY(watcher);
        QVERIFY(QDir(root).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 1, kTimeoutMs);
        QVERIFY(QDir().mkpath(root));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 2, kTimeoutMs);
        QVERIFY(writeFile(root + u"/back.url"_s));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 3, kTimeoutMs);
    }

    void noCallbackAfterDestruction() {
        QTemporaryDir dir;
        auto counter = std::make_shared<Counter>();
        auto canary = std::make_shared<Counter>();
        auto watcher = watch({dir.path()}, 0.2, counter);
        const auto canaryWatcher = watch({dir.path()}, 0.0, canary);
        QVERIFY(watcher && canaryWatcher);
        QVERIFY(writeFile(dir.path() + u"/pending.url"_s));
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
        QVERIFY(writeFile(dir.path() + u"/one.url"_s));
        QTRY_COMPARE_WITH_TIMEOUT(counter->calls.load(), 1, kTimeoutMs);
        QVERIFY(writeFile(dir.path() + u"/two.url"_s));
        QTest::qWait(300);
        QCOMPARE(counter->calls.load(), 1);
        watcher.reset(); // after a stop from the callback, destruction still ends cleanly
    }
};

QTEST_GUILESS_MAIN(TestInotifyWatcher)
#include "tst_inotifywatcher.moc"
