#include "launcher/engine/sources/browser/BrowserSearch.h"
#include "launcher/engine/sources/browser/BrowserTabs.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace trovi;

namespace {

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
        const auto row = [](const char* name, QStringList fields, const char* parsed) {
            QTest::newRow(name) << fields.join(QChar(31)) << QString(parsed);
        };
        row("empty title keeps host", {"1", "2", "", " https://h/x "}, "1/2//h");
        row("title trimmed, host decoded", {"3", "+4", " Docs ", "http://b%C3%BCcher.de/"},
            "3/4/Docs/bücher.de");
        row("window 0", {"0", "1", "t", "https://h/"}, "");
        row("non-numeric tab", {"1", "x", "t", "https://h/"}, "");
        row("padded index", {" 1", "1", "t", "https://h/"}, "");
        row("browser page", {"1", "1", "t", "chrome://newtab/"}, "");
        row("blank page", {"1", "1", "t", "about:blank"}, "");
        row("three fields", {"1", "1", "https://h/"}, "");
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

    void failedListingIsSaidAndGivesNoTabs() {
        QTemporaryDir dir;
        const QString host =
            standIn(dir, "osascript", "echo 'Not authorized (-1743)' >&2; exit 1\n");
        QStringList lines;
        const AppleScriptRunner runner(host, [&](const QString& line) { lines << line; });
        QVERIFY(probeBrowserTabs(runner, "Edge", "Microsoft Edge", "com.microsoft.edgemac")
                    .tabs.isEmpty());
        QCOMPARE(lines, QStringList{"Browser tab probe failed for Edge: Not authorized (-1743)"});
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
            tabs << BrowserTabShortcut("Edge", "com.microsoft.edgemac", 1, i,
                                       QString("Page %1").arg(i, 2, 10, QChar(u'0')),
                                       QString("https://example.com/%1").arg(i), "example.com");
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
