// Open browser tabs as rows. Only the parsing of a listing is checked here:
// this platform has no script host to list or focus tabs, so the engine never
// starts a listing (see the catalogue refresh test).

#include "launcher/engine/sources/browser/BrowserSearch.h"
#include "launcher/engine/sources/browser/BrowserTabs.h"

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
};

QTEST_GUILESS_MAIN(TestBrowserTabs)
#include "tst_browsertabs.moc"
