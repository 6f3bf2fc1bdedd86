// The activation sequence shared by the window and `trovi open`: what it
// records and caches for each kind of activation, and under which key.

#include "launcher/session/ActivationSequence.h"
#include "launcher/session/ResultActivator.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/RecordingPlatform.h"

#include <QtTest>

using namespace trovi;
using namespace trovi::test;

class ActivationSequenceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void recordsAndCachesOnlyWhatWasOpened_data() {
        QTest::addColumn<bool>("settings");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("learned");
        QTest::addColumn<QString>("firstCached");
        QTest::addRow("open: counted, choice cached first") << false << 0 << 1 << "Notes.app";
        QTest::addRow("reveal: neither counted nor cached") << false << 1 << 0 << "";
        QTest::addRow("window-only action: nothing recorded") << true << 0 << 0 << "";
    }
    void recordsAndCachesOnlyWhatWasOpened() {
        QFETCH(bool, settings);
        QFETCH(int, mode);
        QFETCH(int, learned);
        QFETCH(QString, firstCached);
        EngineHarness h;
        const QString apps = h.mkdir("Applications");
        auto& m = h.make();
        const SearchResult mail = pathResult(SearchResultKind::app, apps, "Mail.app");
        const SearchResult notes = pathResult(SearchResultKind::app, apps, "Notes.app");
        SearchResult action = actionResult(SearchResultAction::openSettings);
        action.usageKey = "action://openSettings";
        const SearchResult chosen = settings ? action : notes;
        RecordingWorkspace workspace;
        RecordingClipboard clipboard;
        ResultActivator activator(workspace, clipboard);

        const ActivationRun run = activateResult(
            m, activator, {chosen, ResultActivationMode(mode), "a", {mail, chosen}, false});
        QTRY_VERIFY(run.stored.isFinished()); // served by this thread's own loop
        QCOMPARE(m.learnedOpenCount(chosen, 0), learned);
        const auto cached = m.persistentQueryResultCacheStore()->cachedSearchResults(
            QStringLiteral("a|") + m.rankingPreferences().cacheKey(), h.now, false);
        QCOMPARE(cached ? cached->results.first().filename : QString(), firstCached);
    }

    // The promoted list is stored under the key the window and the engine
    // read: a line break is part of the query there, so it must be here too.
    void promotedListIsFoundUnderTheQuerysKey_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("key");
        QTest::addRow("line break kept") << "Mail\n"
                                         << "mail\n|";
        QTest::addRow("blanks and tabs trimmed") << " \tMail\t "
                                                 << "mail|";
    }
    void promotedListIsFoundUnderTheQuerysKey() {
        QFETCH(QString, query);
        QFETCH(QString, key);
        EngineHarness h;
        const QString apps = h.mkdir("Applications");
        const SearchResult mail = pathResult(SearchResultKind::app, apps, "Mail.app");
        const SearchResult mailbox = pathResult(SearchResultKind::app, apps, "Mailbox.app");
        auto& m = h.make();
        m.recordActivation(mailbox, {query, {mail, mailbox}, false});
        const auto cached = m.persistentQueryResultCacheStore()->cachedSearchResults(
            key + m.rankingPreferences().cacheKey(), h.now, false);
        QVERIFY(cached);
        QCOMPARE(cached->results.size(), 2);
        QCOMPARE(cached->results.first().filename, "Mailbox.app");
    }
};

QTEST_GUILESS_MAIN(ActivationSequenceTest)
#include "tst_activationsequence.moc"
