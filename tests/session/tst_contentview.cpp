// The launcher's search session, driven step by step: typing, late answers,
// selection, history, the reopen window, paste and activation; and the second
// line of a row: what an application is, and folders a person can read.

#include "launcher/session/ResultRowPresentation.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/PreferenceKeys.h"
#include "tests/support/Results.h"
#include "tests/support/SessionFakes.h"

#include <QtTest>

using namespace trovi;
using namespace trovi::test;

Q_DECLARE_METATYPE(trovi::SearchResult)

namespace {

// Scores keep the order the test gives.
SearchResult file(const QString& name, std::int64_t score) {
    return pathResult(SearchResultKind::file, "/d", name).withRelevanceScore(score);
}

struct Session : SessionParts {
    RecordingHost host;
    std::unique_ptr<ContentView> view = std::make_unique<ContentView>(services(&host));

    Session() {
        host.onHide = [this] { view->viewDisappeared(); };
        view->viewAppeared();
    }

    static void settle() {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    QString arg(const QStringList& words, int i) const {
        return words.value(i).replace(u'_', u' ');
    }

    // Steps separated by ";": "type TEXT", "wait MS", "answer N NAME...", "early N NAME...",
    // "refresh", "up", "down", "hide", "show", "clip TEXT", "paste". "_" stands for a
    // space in texts.
    void run(const QString& script) {
        for (const QString& step : script.split(u';', Qt::SkipEmptyParts)) {
            const QStringList w = step.trimmed().split(u' ');
            const QString& op = w[0];
            if (op == QLatin1String("type")) {
                view->setQuery(arg(w, 1));
            } else if (op == QLatin1String("wait")) {
                scheduler.advance(w[1].toInt());
            } else if (op == QLatin1String("answer") || op == QLatin1String("early")) {
                QList<SearchResult> results;
                for (int i = 2; i < w.size(); ++i)
                    results.append(file(w[i], 1000 - i));
                if (op == QLatin1String("early"))
                    engine.answerEarly(w[1].toInt(), results);
                else
                    engine.answer(w[1].toInt(), results);
                settle();
            } else if (op == QLatin1String("refresh")) {
                notifications.post(notifications::LauncherSearchDataRefreshed);
            } else if (op == QLatin1String("up") || op == QLatin1String("down")) {
                view->handleKey(op == QLatin1String("up") ? Qt::Key_Up : Qt::Key_Down, {});
            } else if (op == QLatin1String("hide")) {
                view->viewDisappeared();
            } else if (op == QLatin1String("show")) {
                view->viewAppeared();
            } else if (op == QLatin1String("clip")) {
                host.clipboard = arg(w, 1);
            } else if (op == QLatin1String("paste")) {
                view->handleKey(Qt::Key_V, Qt::ControlModifier);
            } else {
                QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
            }
        }
    }

    QString shown() const { return names(view->search().results).join(u','); }
    QString selected() const {
        const auto& s = view->search();
        return s.selectedIndex && *s.selectedIndex < s.results.size()
                   ? s.results.at(*s.selectedIndex).filename
                   : QString();
    }
};

} // namespace

class ContentViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void script_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("searches"); // -1: not checked
        const auto row = [](const char* name, const char* script, const char* query,
                            const char* shown, const char* selected, int searches) {
            QTest::newRow(name) << QString(script) << QString(query) << QString(shown)
                                << QString(selected) << searches;
        };
        row("a late answer for an older text is dropped",
            "type ab; wait 50; type abc; wait 50; answer 1 abc1 abc2; answer 0 late", "abc",
            "abc1,abc2", "abc1", 2);
        row("an answer after the field was cleared is not shown",
            "type ab; wait 50; type _; answer 0 ab1", " ", "", "", 1);
        row("only the last of quick keystrokes is searched",
            "type a; wait 20; type ab; wait 20; type abc; wait 50; answer 0 abc1", "abc", "abc1",
            "abc1", 1);
        row("a background refresh never overwrites a newer query",
            "type ab; wait 50; answer 0 ab1; refresh; type abx; wait 50; answer 1 ab2; "
            "answer 2 abx1",
            "abx", "abx1", "abx1", 3);
        row("the selected result stays selected in its new row",
            "type a; wait 50; answer 0 alpha beta; down; refresh; answer 1 aardvark alpha beta",
            "a", "aardvark,alpha,beta", "beta", 2);
        row("an untouched selection follows the final list's top row",
            "type pl; wait 50; answer 0 plakate plaza; type pla; wait 50; answer 1 plan plakate",
            "pla", "plan,plakate", "plan", 2);
        row("a selection moved on the preview stays on its result",
            "type pl; wait 50; answer 0 plakate plaza; type pla; down; wait 50; "
            "answer 1 plan plakate plaza",
            "pla", "plan,plakate,plaza", "plaza", 2);
        row("the index's rows join an early list under a moved selection",
            "type re; wait 50; early 0 report recipe; down; answer 0 readme report recipe", "re",
            "readme,report,recipe", "recipe", 1);
        row("an early list is never kept as the query's answer",
            "type re; wait 50; early 0 report; type rex; type re", "re", "", "", 1);
        row("hiding drops the pending search", "type notes; hide; wait 50", "notes", "", "", 0);
        row("showing again runs the dropped search",
            "type notes; hide; wait 50; show; wait 50; answer 0 notes1", "notes", "notes1",
            "notes1", 1);
        row("a vanished selection falls back to row 0",
            "type a; wait 50; answer 0 alpha beta; down; refresh; answer 1 gamma alpha", "a",
            "gamma,alpha", "gamma", 2);
        row("a longer text narrows the rows at once",
            "type no; wait 50; answer 0 notes nomad; type not", "not", "notes", "notes", 1);
        row("a shorter text keeps the rows until its answer",
            "type mail; wait 50; answer 0 mailbox; type mai", "mai", "mailbox", "mailbox", 1);
        row("a query seen before shows its rows at once",
            "type ab; wait 50; answer 0 ab1 ab2; type abc; type ab", "ab", "ab1,ab2", "ab1", 1);
        row("down stops on the last row", "type a; wait 50; answer 0 a1 a2; down; down; down", "a",
            "a1,a2", "a2", 1);
        row("up on row 0 without history stays", "type a; wait 50; answer 0 a1 a2; up", "a",
            "a1,a2", "a1", 1);
        row("up on row 0 recalls the previous search with its rows",
            "type alpha; wait 50; answer 0 alpha1; hide; type beta; wait 50; answer 1 beta1; up",
            "alpha", "alpha1", "alpha1", 2);
        row("an edit leaves the history",
            "type alpha; wait 50; answer 0 a1; hide; type beta; wait 50; answer 1 b1; up; "
            "type alphax; up",
            "beta", "b1", "b1", 2);
        row("reopening within the persistence window restores the search",
            "type notes; wait 50; answer 0 notes1; hide; type _; wait 3000; show", "notes",
            "notes1", "notes1", 1);
        row("reopening after the persistence window clears the field",
            "type notes; wait 50; answer 0 notes1; hide; wait 11000; show", "", "", "", 1);
        row("paste joins with one space", "type hello; clip world; paste", "hello world", "", "",
            -1);
        row("paste into an empty field", "clip _world_; paste", "world", "", "", -1);
        row("a blank clipboard changes nothing", "type hello; clip ___; paste", "hello", "", "",
            -1);
    }

    void script() {
        QFETCH(QString, script);
        QFETCH(QString, query);
        QFETCH(QString, shown);
        QFETCH(QString, selected);
        QFETCH(int, searches);
        Session s;
        s.run(script);
        QCOMPARE(s.view->search().query, query);
        QCOMPARE(s.shown(), shown);
        QCOMPARE(s.selected(), selected);
        if (searches >= 0)
            QCOMPARE(s.engine.calls.size(), searches);
    }

    void historyKeepsTwentyDistinctQueriesAcrossRestarts() {
        Session s;
        for (int i = 0; i < 22; ++i) {
            s.view->setQuery(QStringLiteral("q%1").arg(i));
            s.view->saveSession();
        }
        s.view->saveSession(); // the same query again: still one entry
        QStringList expected;
        for (int i = 2; i < 22; ++i)
            expected.append(QStringLiteral("q%1").arg(i));
        QCOMPARE(s.preferences.stringListValue(preferenceKeys::launcherSearchHistoryQueries),
                 expected);

        // A restart brings back the queries only; recalling one searches again.
        Session restarted;
        restarted.preferences.setStringList(preferenceKeys::launcherSearchHistoryQueries, expected);
        restarted.view->viewAppeared();
        restarted.run("up");
        QCOMPARE(restarted.view->search().query, QStringLiteral("q21"));
        QCOMPARE(restarted.shown(), QString());
        restarted.run("wait 50");
        QCOMPARE(restarted.engine.calls.size(), 1);
    }

    // Which key gives which mode; what each mode does per kind is ResultActivator's.
    void activation_data() {
        QTest::addColumn<SearchResult>("result");
        QTest::addColumn<bool>("reveal");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<QString>("revealed");
        QTest::addColumn<QString>("copied");
        SearchResult copy = file(QStringLiteral("x"), 1);
        copy.kind = SearchResultKind::action;
        copy.action = SearchResultAction::copyToClipboard;
        copy.actionURLString = QStringLiteral("4");
        const SearchResult plain = file(QStringLiteral("x"), 1);
        QTest::addRow("Return opens a file")
            << plain << false << QString("file:///d/x") << QString() << QString();
        QTest::addRow("Ctrl+Return reveals a file")
            << plain << true << QString() << QString("/d/x") << QString();
        QTest::addRow("Ctrl+Return on an action runs it like Return")
            << copy << true << QString() << QString() << QString("4");
    }

    void activation() {
        QFETCH(SearchResult, result);
        QFETCH(bool, reveal);
        QFETCH(QString, opened);
        QFETCH(QString, revealed);
        QFETCH(QString, copied);
        Session s;
        s.run("type x; wait 50");
        s.engine.answer(0, {result});
        Session::settle();
        s.view->handleKey(Qt::Key_Return, reveal ? Qt::ControlModifier : Qt::NoModifier);
        Session::settle();

        QCOMPARE(s.host.hides, 1);
        QCOMPARE(s.view->search().query, QString());
        QCOMPARE(s.view->session().history.back().query, QStringLiteral("x"));
        QCOMPARE(s.workspace.opened.join(u' '), opened);
        QCOMPARE(s.workspace.revealed.join(u' '), revealed);
        QCOMPARE(s.clipboard.text.value_or(QString()), copied);
        QCOMPARE(s.engine.requests.size(), 1);
        QCOMPARE(s.engine.requests[0].query, QStringLiteral("x"));
        QVERIFY(!s.engine.requests[0].shownIsPreview);
    }

    void settingsActionOpensTheSettingsWindow() {
        Session s;
        SearchResult settings = file(QStringLiteral("Settings"), 1);
        settings.kind = SearchResultKind::action;
        settings.action = SearchResultAction::openSettings;
        s.view->activateResult(settings, ResultActivationMode::revealInFileBrowser);
        QCOMPARE(s.host.settingsShown, 1);
        QCOMPARE(s.host.hides, 1);
    }

    void secondLine_data() {
        QTest::addColumn<SearchResultKind>("kind");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("description"); // null: none
        QTest::addColumn<QString>("secondLine");
        const auto row = [](const char* name, SearchResultKind kind, const char* directory,
                            const char* description, const char* secondLine) {
            QTest::newRow(name) << kind << QString(directory) << QString(description)
                                << QString(secondLine);
        };
        using K = SearchResultKind;
        row("application says what it is", K::app, "/usr/share/applications", "Web Browser",
            "Web Browser");
        row("application without a description", K::app, "/usr/share/applications", nullptr,
            "/usr/share/applications");
        row("user's application without a description", K::app,
            "/home/ana/.local/share/applications", nullptr, "~/.local/share/applications");
        row("file below home", K::file, "/home/ana/Documents", nullptr, "~/Documents");
        row("home itself", K::folder, "/home/ana", nullptr, "~");
        row("a sibling of home stays whole", K::file, "/home/anabel/Documents", nullptr,
            "/home/anabel/Documents");
        row("outside home", K::file, "/srv/share", nullptr, "/srv/share");
        row("not a path", K::action, "System Settings", nullptr, "System Settings");
    }
    void secondLine() {
        QFETCH(SearchResultKind, kind);
        QFETCH(QString, directory);
        QFETCH(QString, description);
        QFETCH(QString, secondLine);
        qputenv("HOME", "/home/ana/");
        SearchResult result;
        result.kind = kind;
        result.filename = "x";
        result.directory = directory;
        if (!description.isNull())
            result.description = description;
        QCOMPARE(presentResultRow(result, {}).secondLine, secondLine);
        // The result itself keeps the full folder.
        QCOMPARE(result.directory, directory);
    }
};

QTEST_GUILESS_MAIN(ContentViewTest)
#include "tst_contentview.moc"
