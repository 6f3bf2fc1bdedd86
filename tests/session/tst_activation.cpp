// Activation without a window: which mode really applies, which address is
// opened in which order, and what reaches the clipboard; and the sequence
// shared by the window and `trovi open`: what it records and caches for each
// kind of activation, and under which key.

#include "launcher/session/ActivationSequence.h"
#include "launcher/session/ResultActivator.h"
#include "tests/support/EngineHarness.h"
#include "tests/support/RecordingPlatform.h"

#include <QtTest>

using namespace trovi;
using namespace trovi::test;

namespace {

SearchResult item(SearchResultKind kind, const QString& directory, const QString& name,
                  bool directPath = false) {
    SearchResult r = pathResult(kind, directory, name);
    r.isDirectPathMatch = directPath;
    return r;
}

SearchResult actionWith(std::optional<SearchResultAction> action,
                        std::optional<QString> url = std::nullopt,
                        std::optional<QString> fallback = std::nullopt) {
    SearchResult r = actionResult(action, std::move(url));
    r.fallbackActionURLString = std::move(fallback);
    return r;
}

const QString kPage = QStringLiteral("https://example.org/page");
const QString kRoute = QStringLiteral("browser-tab-focus://com.brave.Browser?window=2&tab=3");

} // namespace

Q_DECLARE_METATYPE(trovi::SearchResult)

class TestActivation : public QObject {
    Q_OBJECT

    RecordingWorkspace workspace;
    RecordingClipboard clipboard;

    ActivationOutcome activate(const SearchResult& result,
                               ResultActivationMode mode = ResultActivationMode::open,
                               BrowserTabFocuser focuser = {}) {
        return ResultActivator(workspace, clipboard, std::move(focuser)).activate(result, mode);
    }

private Q_SLOTS:
    void init() {
        workspace = {};
        clipboard = {};
    }

    void commandReturn_data() {
        QTest::addColumn<SearchResult>("result");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QStringList>("revealed");
        QTest::addColumn<ActivationStatus>("status");
        const auto folder = SearchResultKind::folder;

        QTest::addRow("folder by name opens")
            << item(folder, "/home/u", "My Projects") << QStringList{"file:///home/u/My Projects"}
            << QStringList{} << ActivationStatus::opened;
        QTest::addRow("folder by typed path reveals")
            << item(folder, "/home/u", "My Projects", true) << QStringList{}
            << QStringList{"/home/u/My Projects"} << ActivationStatus::revealed;
        QTest::addRow("file reveals")
            << item(SearchResultKind::file, "/home/u/", "notes#1.md") << QStringList{}
            << QStringList{"/home/u/notes#1.md"} << ActivationStatus::revealed;
        QTest::addRow("action ignores reveal")
            << actionWith(SearchResultAction::openBrowserFavorite, kPage) << QStringList{kPage}
            << QStringList{} << ActivationStatus::opened;
    }

    void commandReturn() {
        QFETCH(SearchResult, result);
        QFETCH(QStringList, opened);
        QFETCH(QStringList, revealed);
        QFETCH(ActivationStatus, status);
        QCOMPARE(activate(result, ResultActivationMode::revealInFileBrowser).status, status);
        QCOMPARE(workspace.opened, opened);
        QCOMPARE(workspace.revealed, revealed);
    }

    void refusedFileOpenIsReported() {
        workspace.refused.insert("file:///usr/share/applications/broken.desktop");
        const auto outcome =
            activate(item(SearchResultKind::app, "/usr/share/applications", "broken.desktop"));
        QCOMPARE(outcome.status, ActivationStatus::openFailed);
        QVERIFY(outcome.message.contains("/usr/share/applications/broken.desktop"));
    }

    // The fallback address is always kPage.
    void urlFallbackOrder_data() {
        QTest::addColumn<SearchResultAction>("action");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QStringList>("refused");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<bool>("succeeds");
        const QString app = QStringLiteral("notion://www.notion.so/page-1");
        const auto notion = SearchResultAction::openNotionPage;

        QTest::addRow("first address opens")
            << notion << app << QStringList{} << QStringList{app} << true;
        QTest::addRow("refused address falls back")
            << notion << app << QStringList{app} << QStringList{app, kPage} << true;
        QTest::addRow("unparsable address falls back")
            << SearchResultAction::openSystemSettings << "no scheme" << QStringList{}
            << QStringList{kPage} << true;
        QTest::addRow("both refused")
            << notion << app << QStringList{app, kPage} << QStringList{app, kPage} << false;
        QTest::addRow("favourite has no fallback") << SearchResultAction::openBrowserFavorite << app
                                                   << QStringList{app} << QStringList{app} << false;
    }

    void urlFallbackOrder() {
        QFETCH(SearchResultAction, action);
        QFETCH(QString, url);
        QFETCH(QStringList, refused);
        QFETCH(QStringList, opened);
        QFETCH(bool, succeeds);
        for (const auto& u : refused)
            workspace.refused.insert(u);

        const auto outcome = activate(actionWith(action, url, kPage));
        QCOMPARE(workspace.opened, opened);
        QCOMPARE(outcome.status,
                 succeeds ? ActivationStatus::opened : ActivationStatus::openFailed);
        if (succeeds)
            QCOMPARE(outcome.value, opened.last());
    }

    void browserTab_data() {
        QTest::addColumn<QString>("route");
        QTest::addColumn<QString>("focuser"); // "focuses", "opens", "fails" or "none"
        QTest::addColumn<int>("focuserCalls");
        QTest::addColumn<ActivationStatus>("status");
        QTest::addColumn<bool>("defaultBrowserOpens");

        QTest::addRow("tab focused")
            << kRoute << "focuses" << 1 << ActivationStatus::focusedTab << false;
        QTest::addRow("page opened in that browser")
            << kRoute << "opens" << 1 << ActivationStatus::opened << false;
        QTest::addRow("focus refused")
            << kRoute << "fails" << 1 << ActivationStatus::opened << true;
        QTest::addRow("bad route") << "browser-tab-focus://com.brave.Browser?window=2&tab=x"
                                   << "focuses" << 0 << ActivationStatus::opened << true;
        QTest::addRow("no focuser") << kRoute << "none" << 0 << ActivationStatus::opened << true;
    }

    void browserTab() {
        QFETCH(QString, route);
        QFETCH(QString, focuser);
        QFETCH(int, focuserCalls);
        QFETCH(ActivationStatus, status);
        QFETCH(bool, defaultBrowserOpens);
        QList<BrowserTabFocusRoute> focused;
        BrowserTabFocuser focus;
        if (focuser != "none")
            focus = [&](const BrowserTabFocusRoute& r, const QString& page) {
                focused.append(r);
                if (focuser == "fails" || page != kPage)
                    return BrowserTabReach::failed;
                return focuser == "opens" ? BrowserTabReach::openedInBrowser
                                          : BrowserTabReach::focused;
            };

        const auto outcome = activate(actionWith(SearchResultAction::focusBrowserTab, kPage, route),
                                      ResultActivationMode::open, focus);
        QCOMPARE(outcome.status, status);
        QCOMPARE(outcome.value, kPage);
        QCOMPARE(workspace.opened, defaultBrowserOpens ? QStringList{kPage} : QStringList{});
        QCOMPARE(focused.size(), focuserCalls);
        if (focuserCalls)
            QCOMPARE(focused.first(), (BrowserTabFocusRoute{"com.brave.Browser", 2, 3}));
    }

    void copyNeedsTextAndAClipboard() {
        const auto copy = [](std::optional<QString> text) {
            return actionWith(SearchResultAction::copyToClipboard, std::move(text));
        };
        QCOMPARE(activate(copy("42")).status, ActivationStatus::copied);
        QCOMPARE(clipboard.text, std::optional<QString>("42"));

        // No text leaves the clipboard alone.
        QCOMPARE(activate(copy(std::nullopt)).status, ActivationStatus::nothingToCopy);
        QCOMPARE(clipboard.writes, 1);

        // Without a clipboard the value is handed back.
        clipboard.available = false;
        const auto outcome = activate(copy("Guten Tag"));
        QCOMPARE(outcome.status, ActivationStatus::clipboardUnavailable);
        QCOMPARE(outcome.value, QStringLiteral("Guten Tag"));
        QCOMPARE(clipboard.text, std::optional<QString>("42"));

        // Actions that cannot run here do nothing.
        QCOMPARE(
            activate(actionWith(SearchResultAction::openSettings, "action://openSettings")).status,
            ActivationStatus::needsWindow);
        QCOMPARE(activate(actionWith(std::nullopt, kPage)).status, ActivationStatus::noAction);
        QVERIFY(workspace.opened.isEmpty());
        QCOMPARE(clipboard.writes, 2);
    }

    // The promoted list is stored under the key the window and the engine
    // read: a line break is part of the query there, so it must be here too.
    void recordsAndCachesOnlyWhatWasOpened_data() {
        QTest::addColumn<bool>("settings");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("learned");
        QTest::addColumn<QString>("cached");
        const auto row = [](const char* name, bool settings, int mode, const char* query,
                            const char* key, int learned, const char* cached) {
            QTest::newRow(name) << settings << mode << QString(query) << QString(key) << learned
                                << QString(cached);
        };
        row("open: counted, choice cached first", false, 0, "a", "a|", 1, "Notes.app,Mail.app");
        row("reveal: neither counted nor cached", false, 1, "a", "a|", 0, "");
        row("window-only action: nothing recorded", true, 0, "a", "a|", 0, "");
        row("line break kept in the key", false, 0, "Notes\n", "notes\n|", 1, "Notes.app,Mail.app");
        row("blanks and tabs trimmed from the key", false, 0, " \tNotes\t ", "notes|", 1,
            "Notes.app,Mail.app");
    }
    void recordsAndCachesOnlyWhatWasOpened() {
        QFETCH(bool, settings);
        QFETCH(int, mode);
        QFETCH(QString, query);
        QFETCH(QString, key);
        QFETCH(int, learned);
        QFETCH(QString, cached);
        EngineHarness h;
        const QString apps = h.mkdir("Applications");
        auto& m = h.make();
        const SearchResult mail = pathResult(SearchResultKind::app, apps, "Mail.app");
        SearchResult action = actionWith(SearchResultAction::openSettings);
        action.usageKey = "action://openSettings";
        const SearchResult chosen =
            settings ? action : pathResult(SearchResultKind::app, apps, "Notes.app");
        RecordingWorkspace workspace;
        RecordingClipboard clipboard;
        ResultActivator activator(workspace, clipboard);

        const ActivationRun run = activateResult(
            m, activator, {chosen, ResultActivationMode(mode), query, {mail, chosen}, false});
        QTRY_VERIFY(run.stored.isFinished()); // served by this thread's own loop
        QCOMPARE(m.learnedOpenCount(chosen, 0), learned);
        const auto stored = m.persistentQueryResultCacheStore()->cachedSearchResults(
            key + m.rankingPreferences().cacheKey(), h.now, false);
        QCOMPARE(stored ? names(stored->results).join(u',') : QString(), cached);
    }
};

QTEST_GUILESS_MAIN(TestActivation)
#include "tst_activation.moc"
