// Decoding of browser-tab focus addresses: only a complete, unambiguous route
// names a tab; everything else must come back empty so the page opens instead.

#include "launcher/session/BrowserTabFocusRoute.h"

#include <QtTest>

using namespace trovi;

class TestBrowserTabFocusRoute : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decodes_data();
    void decodes();
    void rejects_data();
    void rejects();
};

void TestBrowserTabFocusRoute::decodes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("bundle");
    QTest::addColumn<qint64>("window");
    QTest::addColumn<qint64>("tab");

    QTest::addRow("plain") << "browser-tab-focus://com.microsoft.edgemac?window=2&tab=5"
                           << "com.microsoft.edgemac" << qint64(2) << qint64(5);
    QTest::addRow("host keeps its case") << "browser-tab-focus://com.brave.Browser?window=1&tab=1"
                                         << "com.brave.Browser" << qint64(1) << qint64(1);
    QTest::addRow("items in any order") << "browser-tab-focus://b.id?tab=7&window=3"
                                        << "b.id" << qint64(3) << qint64(7);
    QTest::addRow("signs") << "browser-tab-focus://b.id?window=+4&tab=-1"
                           << "b.id" << qint64(4) << qint64(-1);
    QTest::addRow("other items ignored") << "browser-tab-focus://b.id?x=1&window=1&x=2&tab=2&flag"
                                         << "b.id" << qint64(1) << qint64(2);
    QTest::addRow("path before query") << "browser-tab-focus://b.id/?window=1&tab=2"
                                       << "b.id" << qint64(1) << qint64(2);
    QTest::addRow("percent-encoded digits") << "browser-tab-focus://b.id?window=%31&tab=%32"
                                            << "b.id" << qint64(1) << qint64(2);
    QTest::addRow("scheme case-insensitive") << "Browser-Tab-Focus://b.id?window=1&tab=2"
                                             << "b.id" << qint64(1) << qint64(2);
    QTest::addRow("largest integer") << "browser-tab-focus://b.id?window=9223372036854775807&tab=0"
                                     << "b.id" << std::numeric_limits<qint64>::max() << qint64(0);
    QTest::addRow("smallest integer")
        << "browser-tab-focus://b.id?window=-9223372036854775808&tab=0"
        << "b.id" << std::numeric_limits<qint64>::min() << qint64(0);
}

void TestBrowserTabFocusRoute::decodes() {
    QFETCH(QString, text);
    QFETCH(QString, bundle);
    QFETCH(qint64, window);
    QFETCH(qint64, tab);
    const auto route = decodeBrowserTabFocusRoute(text);
    QVERIFY(route);
    QCOMPARE(route->bundleIdentifier, bundle);
    QCOMPARE(route->windowIndex, window);
    QCOMPARE(route->tabIndex, tab);
}

void TestBrowserTabFocusRoute::rejects_data() {
    QTest::addColumn<QString>("text");

    QTest::addRow("empty") << "";
    QTest::addRow("not a URL") << "window=1&tab=2";
    QTest::addRow("other scheme") << "https://b.id?window=1&tab=2";
    QTest::addRow("missing host") << "browser-tab-focus://?window=1&tab=2";
    QTest::addRow("no authority") << "browser-tab-focus:?window=1&tab=2";
    QTest::addRow("empty authority with path") << "browser-tab-focus:///x?window=1&tab=2";
    QTest::addRow("blank in host") << "browser-tab-focus://b id?window=1&tab=2";
    QTest::addRow("non-numeric tab") << "browser-tab-focus://b.id?window=2&tab=abc";
    QTest::addRow("missing tab") << "browser-tab-focus://b.id?window=2";
    QTest::addRow("missing window") << "browser-tab-focus://b.id?tab=2";
    QTest::addRow("tab without value") << "browser-tab-focus://b.id?window=2&tab";
    QTest::addRow("empty tab value") << "browser-tab-focus://b.id?window=2&tab=";
    QTest::addRow("sign only") << "browser-tab-focus://b.id?window=-&tab=1";
    QTest::addRow("trailing garbage") << "browser-tab-focus://b.id?window=1x&tab=1";
    QTest::addRow("blank around number") << "browser-tab-focus://b.id?window=%201&tab=1";
    QTest::addRow("decimal point") << "browser-tab-focus://b.id?window=1.0&tab=1";
    QTest::addRow("overflow") << "browser-tab-focus://b.id?window=9223372036854775808&tab=1";
    QTest::addRow("underflow") << "browser-tab-focus://b.id?window=-9223372036854775809&tab=1";
    QTest::addRow("repeated tab") << "browser-tab-focus://b.id?window=1&tab=1&tab=2";
    QTest::addRow("repeated window, same value")
        << "browser-tab-focus://b.id?window=1&window=1&tab=1";
}

void TestBrowserTabFocusRoute::rejects() {
    QFETCH(QString, text);
    QCOMPARE(decodeBrowserTabFocusRoute(text), std::nullopt);
}

QTEST_GUILESS_MAIN(TestBrowserTabFocusRoute)
#include "tst_browsertabfocusroute.moc"
