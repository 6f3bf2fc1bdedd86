// Activation without a window: which mode really applies, which address is
// opened in which order, and what reaches the clipboard.

#include "launcher/session/ResultActivator.h"
#include "support/RecordingPlatform.h"

#include <QtTest>

using namespace trovi;
using trovi::test::RecordingClipboard;
using trovi::test::RecordingWorkspace;

namespace {

SearchResult item(SearchResultKind kind, const QString& directory, const QString& name,
                  bool directPath = false) {
    SearchResult r;
    r.kind = kind;
    r.directory = directory;
    r.filename = name;
    r.isDirectPathMatch = directPath;
    return r;
}

SearchResult actionResult(std::optional<SearchResultAction> action,
                          std::optional<QString> url = std::nullopt,
                          std::optional<QString> fallback = std::nullopt) {
    SearchResult r;
    r.kind = SearchResultKind::action;
    r.filename = QStringLiteral("Action");
    r.action = action;
    r.actionURLString = std::move(url);
    r.fallbackActionURLString = std::move(fallback);
    return r;
}

const QString kPage = QStringLiteral("https://example.org/page");
const QString kRoute = QStringLiteral("browser-tab-focus://com.brave.Browser?window=2&tab=3");

} // namespace

Q_DECLARE_METATYPE(trovi::SearchResult)
Q_DECLARE_METATYPE(trovi::ResultActivationMode)

class TestResultActivator : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void effectiveMode_data();
    void effectiveMode();
    void commandReturnOnItems_data();
    void commandReturnOnItems();
    void actionIgnoresReveal();
    void refusedFileOpenIsReported();
    void openActionURL_data();
    void openActionURL();
    void urlFallbackOrder_data();
    void urlFallbackOrder();
    void browserTabWithoutFocuserOpensPage();
    void browserTabFocus_data();
    void browserTabFocus();
    void copy_data();
    void copy();
    void settingsNeedTheWindow();
    void actionWithoutActionDoesNothing();
};

void TestResultActivator::effectiveMode_data() {
    QTest::addColumn<SearchResult>("result");
    QTest::addColumn<ResultActivationMode>("requested");
    QTest::addColumn<ResultActivationMode>("expected");
    const auto open = ResultActivationMode::open;
    const auto reveal = ResultActivationMode::revealInFileBrowser;
    const auto file = item(SearchResultKind::file, "/home/u", "a.txt");
    const auto app = item(SearchResultKind::app, "/usr/share/applications", "gimp.desktop");
    const auto namedFolder = item(SearchResultKind::folder, "/home/u", "Projects");
    const auto typedFolder = item(SearchResultKind::folder, "/home/u", "Projects", true);
    const auto action = actionResult(SearchResultAction::openBrowserFavorite, kPage);

    QTest::addRow("file follows Command") << file << reveal << reveal;
    QTest::addRow("file plain Return") << file << open << open;
    QTest::addRow("app follows Command") << app << reveal << reveal;
    QTest::addRow("folder by name opens") << namedFolder << reveal << open;
    QTest::addRow("folder by typed path reveals") << typedFolder << reveal << reveal;
    QTest::addRow("folder by typed path, plain Return") << typedFolder << open << open;
    QTest::addRow("action always opens") << action << reveal << open;
}

void TestResultActivator::effectiveMode() {
    QFETCH(SearchResult, result);
    QFETCH(ResultActivationMode, requested);
    QFETCH(ResultActivationMode, expected);
    QCOMPARE(effectiveActivationMode(result, requested), expected);
}

void TestResultActivator::commandReturnOnItems_data() {
    QTest::addColumn<SearchResult>("result");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("revealed");
    QTest::addColumn<ActivationStatus>("status");

    QTest::addRow("folder by name opens")
        << item(SearchResultKind::folder, "/home/u", "My Projects")
        << QStringList{"file:///home/u/My Projects"} << QStringList{} << ActivationStatus::opened;
    QTest::addRow("folder by typed path reveals")
        << item(SearchResultKind::folder, "/home/u", "My Projects", true) << QStringList{}
        << QStringList{"/home/u/My Projects"} << ActivationStatus::revealed;
    QTest::addRow("file reveals") << item(SearchResultKind::file, "/home/u/", "notes#1.md")
                                  << QStringList{} << QStringList{"/home/u/notes#1.md"}
                                  << ActivationStatus::revealed;
}

void TestResultActivator::commandReturnOnItems() {
    QFETCH(SearchResult, result);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, revealed);
    QFETCH(ActivationStatus, status);
    RecordingWorkspace workspace;
    RecordingClipboard clipboard;
    ResultActivator activator(workspace, clipboard);

    const auto outcome = activator.activate(result, ResultActivationMode::revealInFileBrowser);

    QCOMPARE(outcome.status, status);
    QCOMPARE(workspace.opened, opened);
    QCOMPARE(workspace.revealed, revealed);
}

void TestResultActivator::actionIgnoresReveal() {
    RecordingWorkspace workspace;
    RecordingClipboard clipboard;
    ResultActivator activator(workspace, clipboard);

    const auto outcome =
        activator.activate(actionResult(SearchResultAction::openBrowserFavorite, kPage),
                           ResultActivationMode::revealInFileBrowser);

    QCOMPARE(outcome.status, ActivationStatus::opened);
    QCOMPARE(workspace.opened, QStringList{kPage});
    QVERIFY(workspace.revealed.isEmpty());
}

void TestResultActivator::refusedFileOpenIsReported() {
    RecordingWorkspace workspace;
    workspace.refused.insert("file:///usr/share/applications/broken.desktop");
    RecordingClipboard clipboard;
    ResultActivator activator(workspace, clipboard);

    const auto outcome =
        activator.activate(item(SearchResultKind::app, "/usr/share/applications", "broken.desktop"),
                           ResultActivationMode::open);

    QCOMPARE(outcome.status, ActivationStatus::openFailed);
    QVERIFY(!outcome.succeeded());
    QVERIFY(outcome.message.contains("/usr/share/applications/broken.desktop"));
}

void TestResultActivator::openActionURL_data() {
    QTest::addColumn<std::optional<QString>>("text");
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<QStringList>("opened");

    QTest::addRow("missing") << std::optional<QString>() << false << false << QStringList{};
    QTest::addRow("empty") << std::optional<QString>("") << false << false << QStringList{};
    QTest::addRow("blanks") << std::optional<QString>("  ") << false << false << QStringList{};
    QTest::addRow("no scheme") << std::optional<QString>("example.org") << false << false
                               << QStringList{};
    QTest::addRow("web page") << std::optional<QString>(kPage) << false << true
                              << QStringList{kPage};
    QTest::addRow("settings pane")
        << std::optional<QString>("x-apple.systempreferences:com.apple.Network") << false << true
        << QStringList{"x-apple.systempreferences:com.apple.Network"};
    QTest::addRow("workspace refuses")
        << std::optional<QString>(kPage) << true << false << QStringList{kPage};
}

void TestResultActivator::openActionURL() {
    QFETCH(std::optional<QString>, text);
    QFETCH(bool, refuse);
    QFETCH(bool, expected);
    QFETCH(QStringList, opened);
    RecordingWorkspace workspace;
    if (refuse)
        workspace.refused.insert(kPage);

    QCOMPARE(trovi::openActionURL(workspace, text), expected);
    QCOMPARE(workspace.opened, opened);
}

void TestResultActivator::urlFallbackOrder_data() {
    QTest::addColumn<SearchResultAction>("action");
    QTest::addColumn<std::optional<QString>>("url");
    QTest::addColumn<std::optional<QString>>("fallback");
    QTest::addColumn<QStringList>("refused");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<ActivationStatus>("status");
    const QString app = QStringLiteral("notion://www.notion.so/page-1");
    const QString web = QStringLiteral("https://www.notion.so/page-1");
    const auto notion = SearchResultAction::openNotionPage;
    const auto pane = SearchResultAction::openSystemSettings;
    const auto favorite = SearchResultAction::openBrowserFavorite;

    QTest::addRow("first address opens, fallback untouched")
        << notion << std::optional(app) << std::optional(web) << QStringList{} << QStringList{app}
        << ActivationStatus::opened;
    QTest::addRow("refused address falls back")
        << notion << std::optional(app) << std::optional(web) << QStringList{app}
        << QStringList{app, web} << ActivationStatus::opened;
    QTest::addRow("unparsable address falls back")
        << pane << std::optional(QString("no scheme")) << std::optional(web) << QStringList{}
        << QStringList{web} << ActivationStatus::opened;
    QTest::addRow("missing address falls back")
        << pane << std::optional<QString>() << std::optional(web) << QStringList{}
        << QStringList{web} << ActivationStatus::opened;
    QTest::addRow("both refused") << notion << std::optional(app) << std::optional(web)
                                  << QStringList{app, web} << QStringList{app, web}
                                  << ActivationStatus::openFailed;
    QTest::addRow("nothing to open")
        << pane << std::optional<QString>() << std::optional<QString>() << QStringList{}
        << QStringList{} << ActivationStatus::openFailed;
    QTest::addRow("favourite has no fallback")
        << favorite << std::optional(web) << std::optional(app) << QStringList{web}
        << QStringList{web} << ActivationStatus::openFailed;
}

void TestResultActivator::urlFallbackOrder() {
    QFETCH(SearchResultAction, action);
    QFETCH(std::optional<QString>, url);
    QFETCH(std::optional<QString>, fallback);
    QFETCH(QStringList, refused);
    QFETCH(QStringList, opened);
    QFETCH(ActivationStatus, status);
    RecordingWorkspace workspace;
    for (const auto& u : refused)
        workspace.refused.insert(u);
    RecordingClipboard clipboard;
    ResultActivator activator(workspace, clipboard);

    const auto outcome =
        activator.activate(actionResult(action, url, fallback), ResultActivationMode::open);

    QCOMPARE(workspace.opened, opened);
    QCOMPARE(outcome.status, status);
    if (status == ActivationStatus::opened)
        QCOMPARE(outcome.value, opened.last());
}

void TestResultActivator::browserTabWithoutFocuserOpensPage() {
    RecordingWorkspace workspace;
    RecordingClipboard clipboard;
    ResultActivator activator(workspace, clipboard);

    const auto outcome =
        activator.activate(actionResult(SearchResultAction::focusBrowserTab, kPage, kRoute),
                           ResultActivationMode::open);

    QCOMPARE(outcome.status, ActivationStatus::opened);
    QCOMPARE(workspace.opened, QStringList{kPage});
}

void TestResultActivator::browserTabFocus_data() {
    QTest::addColumn<QString>("route");
    QTest::addColumn<bool>("focuserSucceeds");
    QTest::addColumn<int>("focuserCalls");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<ActivationStatus>("status");

    QTest::addRow("tab focused, page not opened")
        << kRoute << true << 1 << QStringList{} << ActivationStatus::focusedTab;
    QTest::addRow("focus refused opens the page")
        << kRoute << false << 1 << QStringList{kPage} << ActivationStatus::opened;
    QTest::addRow("non-numeric tab opens the page")
        << "browser-tab-focus://com.brave.Browser?window=2&tab=x" << true << 0 << QStringList{kPage}
        << ActivationStatus::opened;
    QTest::addRow("route without host opens the page")
        << "browser-tab-focus://?window=2&tab=3" << true << 0 << QStringList{kPage}
        << ActivationStatus::opened;
}

void TestResultActivator::browserTabFocus() {
    QFETCH(QString, route);
    QFETCH(bool, focuserSucceeds);
    QFETCH(int, focuserCalls);
    QFETCH(QStringList, opened);
    QFETCH(ActivationStatus, status);
    RecordingWorkspace workspace;
    RecordingClipboard clipboard;
    QList<BrowserTabFocusRoute> focused;
    ResultActivator activator(workspace, clipboard, [&](const BrowserTabFocusRoute& r) {
        focused.append(r);
        return focuserSucceeds;
    });

    const auto outcome =
        activator.activate(actionResult(SearchResultAction::focusBrowserTab, kPage, route),
                           ResultActivationMode::open);

    QCOMPARE(outcome.status, status);
    QCOMPARE(workspace.opened, opened);
    QCOMPARE(focused.size(), focuserCalls);
    if (focuserCalls)
        QCOMPARE(focused.first(), (BrowserTabFocusRoute{"com.brave.Browser", 2, 3}));
}

void TestResultActivator::copy_data() {
    QTest::addColumn<std::optional<QString>>("text");
    QTest::addColumn<bool>("available");
    QTest::addColumn<ActivationStatus>("status");
    QTest::addColumn<QString>("clipboardAfter");

    QTest::addRow("copies the value")
        << std::optional<QString>("42") << true << ActivationStatus::copied << "42";
    QTest::addRow("no text leaves the clipboard alone")
        << std::optional<QString>() << true << ActivationStatus::nothingToCopy << "before";
    QTest::addRow("empty text leaves the clipboard alone")
        << std::optional<QString>("") << true << ActivationStatus::nothingToCopy << "before";
    QTest::addRow("no clipboard hands the value back")
        << std::optional<QString>("Guten Tag") << false << ActivationStatus::clipboardUnavailable
        << "before";
}

void TestResultActivator::copy() {
    QFETCH(std::optional<QString>, text);
    QFETCH(bool, available);
    QFETCH(ActivationStatus, status);
    QFETCH(QString, clipboardAfter);
    RecordingWorkspace workspace;
    RecordingClipboard clipboard;
    clipboard.text = QStringLiteral("before");
    clipboard.available = available;
    ResultActivator activator(workspace, clipboard);

    const auto outcome = activator.activate(actionResult(SearchResultAction::copyToClipboard, text),
                                            ResultActivationMode::open);

    QCOMPARE(outcome.status, status);
    QCOMPARE(clipboard.text, std::optional(clipboardAfter));
    QVERIFY(workspace.opened.isEmpty());
    if (text && !text->isEmpty()) {
        QCOMPARE(outcome.value, *text);
        QVERIFY(outcome.message.contains(*text));
    } else {
        QCOMPARE(clipboard.writes, 0);
    }
}

void TestResultActivator::settingsNeedTheWindow() {
    RecordingWorkspace workspace;
    RecordingClipboard clipboard;
    ResultActivator activator(workspace, clipboard);

    const auto outcome =
        activator.activate(actionResult(SearchResultAction::openSettings, "action://openSettings"),
                           ResultActivationMode::open);

    QCOMPARE(outcome.status, ActivationStatus::needsWindow);
    QVERIFY(!outcome.message.isEmpty());
    QVERIFY(workspace.opened.isEmpty());
    QCOMPARE(clipboard.writes, 0);
}

void TestResultActivator::actionWithoutActionDoesNothing() {
    RecordingWorkspace workspace;
    RecordingClipboard clipboard;
    ResultActivator activator(workspace, clipboard);

    const auto outcome =
        activator.activate(actionResult(std::nullopt, kPage), ResultActivationMode::open);

    QCOMPARE(outcome.status, ActivationStatus::noAction);
    QVERIFY(workspace.opened.isEmpty());
}

QTEST_GUILESS_MAIN(TestResultActivator)
#include "tst_resultactivator.moc"
