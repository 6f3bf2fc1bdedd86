// Decoding of browser-tab focus addresses: only a complete, unambiguous route
// names a tab; everything else must come back empty so the page opens instead.

#include "launcher/session/BrowserTabFocusRoute.h"

#include <QtTest>

using namespace trovi;

class TestBrowserTabFocusRoute : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decodesCompleteRoutes() {
        const qint64 largest = std::numeric_limits<qint64>::max();
        const QList<std::pair<const char*, BrowserTabFocusRoute>> routes = {
            {"browser-tab-focus://com.brave.Browser?window=2&tab=5", {"com.brave.Browser", 2, 5}},
            {"browser-tab-focus://b.id?x=1&tab=7&flag&window=3", {"b.id", 3, 7}},
            {"browser-tab-focus://b.id?window=%31&tab=%32", {"b.id", 1, 2}},
            {"browser-tab-focus://b.id?window=9223372036854775807&tab=-1", {"b.id", largest, -1}}};
        for (const auto& [text, route] : routes)
            QCOMPARE(decodeBrowserTabFocusRoute(QString(text)), std::optional(route));
    }

    void rejectsIncompleteOrAmbiguousRoutes() {
        for (const char* text : {
                 "https://b.id?window=1&tab=2",                               // other scheme
                 "browser-tab-focus://?window=1&tab=2",                       // no host
                 "browser-tab-focus://b.id?window=2&tab=abc",                 // not a number
                 "browser-tab-focus://b.id?tab=2",                            // no window
                 "browser-tab-focus://b.id?window=1x&tab=1",                  // trailing garbage
                 "browser-tab-focus://b.id?window=9223372036854775808&tab=1", // overflow
                 "browser-tab-focus://b.id?window=1&tab=1&tab=2",             // repeated item
             })
            QVERIFY2(!decodeBrowserTabFocusRoute(QString(text)), text);
    }
};

QTEST_GUILESS_MAIN(TestBrowserTabFocusRoute)
#include "tst_browsertabfocusroute.moc"
