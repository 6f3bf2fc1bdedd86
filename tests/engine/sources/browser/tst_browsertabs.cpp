#include "launcher/engine/sources/browser/BrowserSearch.h"
#include "launcher/engine/sources/browser/BrowserTabs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace trovi;

namespace {

const QString US = QString(QChar(31));

// A stand-in for the script host: a shell script with a canned answer.
QString standIn(const QTemporaryDir& dir, const QString& name, const QByteArray& body) {
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class TestBrowserTabs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseLines_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("parsed"); // window/tab/title/host, or empty when skipped
        QTest::addRow("empty title keeps host") << "1" + US + "2" + US + US + " https://h/x "
                                                << "1/2//h";
        QTest::addRow("title trimmed, host decoded")
            << "3" + US + "+4" + US + " Docs " + US + "http://b%C3%BCcher.de/"
            << "3/4/Docs/bücher.de";
        QTest::addRow("window 0") << "0" + US + "1" + US + "t" + US + "https://h/"
                                  << "";
        QTest::addRow("non-numeric tab") << "1" + US + "x" + US + "t" + US + "https://h/"
                                         << "";
        QTest::addRow("padded index") << " 1" + US + "1" + US + "t" + US + "https://h/"
                                      << "";
        QTest::addRow("browser page") << "1" + US + "1" + US + "t" + US + "chrome://newtab/"
                                      << "";
        QTest::addRow("blank page") << "1" + US + "1" + US + "t" + US + "about:blank"
                                    << "";
        QTest::addRow("three fields") << "1" + US + "1" + US + "https://h/"
                                      << "";
    }
    void parseLines() {
        QFETCH(QString, line);
        QFETCH(QString, parsed);
        const auto tabs = parseBrowserTabs("\n" + line + "\n", "Edge", "com.microsoft.edgemac");
        QStringList got;
        for (const auto& t : tabs)
            got << QStringLiteral("%1/%2/%3/%4")
                       .arg(t.windowIndex)
                       .arg(t.tabIndex)
                       .arg(t.title, t.host);
        QCOMPARE(got, parsed.isEmpty() ? QStringList{} : QStringList{parsed});
        if (parsed == "1/2//h")
            QCOMPARE(browserTabResult(tabs.first()).filename, "h");
    }

    void denial_data() {
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("denied");
        QTest::addRow("error number") << "execution error: Edge got an error. (-1743)" << true;
        QTest::addRow("message in capitals")
            << "NOT AUTHORIZED TO SEND APPLE EVENTS to Brave." << true;
        QTest::addRow("british spelling") << "Not authorised to send Apple events" << true;
        QTest::addRow("constant name") << "errAEEventNotPermitted" << true;
        QTest::addRow("another failure") << "syntax error (-2741)" << false;
    }
    void denial() {
        QFETCH(QString, error);
        QFETCH(bool, denied);
        QCOMPARE(isAppleEventsPermissionDenied(error), denied);
    }

    void listingLargerThanAPipeBuffer() {
        QTemporaryDir dir;
        // 3000 tabs and as much on standard error: both pipes far past 64 KiB.
        const QString host = standIn(dir, "osascript",
                                     "[ \"$1\" = -e ] || exit 9\n"
                                     "i=1; while [ $i -le 3000 ]; do\n"
                                     "  printf '1\\037%d\\037%s tab %d padded to make lines "
                                     "longer\\037https://h%d.test/\\n' "
                                     "$i \"$3\" $i $i\n"
                                     "  echo warning $i >&2; i=$((i+1)); done\n");
        const BrowserTabProbe probe = probeBrowserTabs(AppleScriptRunner(host), "Brave",
                                                       "Brave Browser", "com.brave.Browser");
        QVERIFY(!probe.failure);
        QCOMPARE(probe.tabs.size(), 3000);
        QCOMPARE(probe.tabs.last().title, "Brave Browser tab 3000 padded to make lines longer");
        QCOMPARE(probe.tabs.last().host, "h3000.test");
    }

    void deniedProbeStopsTheWarmup() {
        QTemporaryDir dir;
        const QString host = standIn(dir, "osascript",
                                     "echo 'Not authorized to send Apple events (-1743)' >&2\n"
                                     "exit 1\n");
        QStringList lines;
        const AppleScriptRunner runner(host, [&](const QString& line) { lines << line; });
        const auto snapshot =
            browserAutomationWarmupSnapshot(runner, [](const QString&) { return true; });
        QCOMPARE(snapshot.result.kind, BrowserAutomationWarmupResult::Kind::permissionDenied);
        QCOMPARE(snapshot.result.browserName, "Edge");
        QCOMPARE(lines, QStringList{"Browser tab probe failed for Edge: Not authorized to send "
                                    "Apple events (-1743)"});

        const QString empty = standIn(dir, "quiet", "exit 0\n");
        const auto quiet = browserAutomationWarmupSnapshot(
            AppleScriptRunner(empty), [](const QString& id) { return id == "com.brave.Browser"; });
        QCOMPARE(quiet.result.kind, BrowserAutomationWarmupResult::Kind::noTabsFound);
        QCOMPARE(quiet.result.runningBrowsers, QStringList{"Brave"});
    }

    void missingHostIsSaidOnce() {
        QStringList lines;
        const AppleScriptRunner runner("/nonexistent/osascript",
                                       [&](const QString& line) { lines << line; });
        QVERIFY(discoverBrowserTabs(runner).isEmpty());
        const auto probe =
            probeBrowserTabs(runner, "Edge", "Microsoft Edge", "com.microsoft.edgemac");
        QCOMPARE(probe.failure->detail, "Failed to execute AppleScript process.");
        QVERIFY(!probe.failure->isPermissionDenied);
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().startsWith("AppleScript launch failed: "));
    }

    void focus() {
        QTemporaryDir dir;
        const QString yes =
            standIn(dir, "yes", "[ \"$3\" = 'Brave Browser' ] && [ \"$5\" = 5 ] && echo ' TRUE'\n");
        QVERIFY(focusBrowserTab(AppleScriptRunner(yes), "com.brave.Browser", 2, 5));
        QVERIFY(!focusBrowserTab(AppleScriptRunner(yes), "com.brave.Browser", 0, 5));
        QCOMPARE(browserTabFocusTargetURLString("com.brave.Browser", 2, 5),
                 "browser-tab-focus://com.brave.Browser?window=2&tab=5");
    }

    void searchCutsToFifty() {
        QList<BrowserTabShortcut> tabs;
        for (int i = 1; i <= 80; ++i)
            tabs << BrowserTabShortcut{"Edge",
                                       "com.microsoft.edgemac",
                                       1,
                                       i,
                                       QStringLiteral("Page %1").arg(i, 2, 10, QChar(u'0')),
                                       QStringLiteral("https://example.com/%1").arg(i),
                                       "example.com"};
        tabs[79].title = "exam";
        const auto results = searchBrowserTabActionResults("exam", tabs, [](const SearchResult& r) {
            return r.filename.startsWith("Page 70") ? 3 : 0;
        });
        QCOMPARE(results.size(), 50);
        QCOMPARE(results[0].filename, "exam • example.com"); // equal title first
        QCOMPARE(results[1].openCount, 3);                   // then learned use
        QCOMPARE(results[2].filename, "Page 01 • example.com");
        QCOMPARE(results[0].directory, "Edge tab");
        QCOMPARE(*results[0].fallbackActionURLString,
                 "browser-tab-focus://com.microsoft.edgemac?window=1&tab=80");
    }
};

QTEST_GUILESS_MAIN(TestBrowserTabs)
#include "tst_browsertabs.moc"
