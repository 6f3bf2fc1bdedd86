// Open browser tabs as rows: the script host's listing, and the browsers' own
// session files (the fixtures are written by fixtures/browser/make_sessions.py).

#include "launcher/engine/sources/browser/BrowserSearch.h"
#include "launcher/engine/sources/browser/BrowserTabs.h"
#include "launcher/engine/sources/browser/ChromiumSession.h"
#include "launcher/engine/sources/browser/FirefoxSession.h"
#include "tests/support/Files.h"

#include <QTest>

using namespace trovi;

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
        row("browser page", {"1", "1", "t", "chrome://newtab/"}, "");
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

    // Each tab's current page only; closed tabs and windows are gone; a log
    // cut mid-record (the browser is writing) keeps every complete record.
    void sessionFiles_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("cutBytes");
        QTest::addColumn<QStringList>("tabs"); // window/tab title url
        const QStringList chromium = {
            "1/1 News https://news.example.com/", "1/2 Guide https://docs.example.org/guide",
            "1/3 New Tab chrome://newtab/",
            QString::fromUtf8(
                "2/1 Wiki \u00dcn\u00efcode \U0001F600 https://wiki.example.net/Page"),
            "2/2 Last https://last.example/"};
        QTest::addRow("chromium") << "Session_13350000000000000" << 0 << chromium;
        QTest::addRow("chromium, last record cut short")
            << "Session_13350000000000000" << 3 << chromium.mid(0, 4);
        QTest::addRow("firefox") << "recovery.jsonlz4" << 0
                                 << QStringList{
                                        "1/1 MDN Web Docs https://developer.mozilla.org/en-US/",
                                        "1/2 New Tab about:newtab",
                                        "1/3 Pasta https://recipes.example/pasta"};
    }
    void sessionFiles() {
        QFETCH(QString, file);
        QFETCH(int, cutBytes);
        QFETCH(QStringList, tabs);
        QByteArray data = test::readFile(TROVI_FIXTURES_DIR "/browser/" + file);
        data.chop(cutBytes);
        const auto parsed =
            file.endsWith(".jsonlz4") ? parseFirefoxSession(data) : parseChromiumSession(data);
        QStringList got;
        for (const BrowserSessionTab& t : parsed)
            got << QStringLiteral("%1/%2 %3 %4")
                       .arg(t.windowIndex)
                       .arg(t.tabIndex)
                       .arg(t.title, t.urlString);
        QCOMPARE(got, tabs);
    }
};

QTEST_GUILESS_MAIN(TestBrowserTabs)
#include "tst_browsertabs.moc"
