// The launcher window's shapes and places, on plain rectangles.

#include "launcher/session/window/WindowGeometry.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <QtTest>

using namespace trovi;

class WindowGeometryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void switchingShapesKeepsTheTopEdge() {
        const QRectF compact(300, 200, 600, 76);
        const QRectF expanded = resizedKeepingTop(compact, targetWindowHeight(true, 460));
        QCOMPARE(expanded, QRectF(300, 200, 600, 460));
        QCOMPARE(resizedKeepingTop(expanded, targetWindowHeight(false, 460)), compact);
        // A remembered height below the panel's minimum still opens a usable panel.
        QCOMPARE(targetWindowHeight(true, 50), 120.0);
    }

    void storedPlaceIsPulledOntoAScreen_data() {
        QTest::addColumn<QPointF>("saved");
        QTest::addColumn<QPointF>("expected");
        // One 1440x900 screen with a 25-point panel on top.
        QTest::addRow("off every screen") << QPointF(-500, 2000) << QPointF(0, 824);
        QTest::addRow("under the top panel") << QPointF(100, 0) << QPointF(100, 25);
        QTest::addRow("on the screen stays") << QPointF(400, 300) << QPointF(400, 300);
        // Unusable values mean no stored place: the window is centred instead.
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::addRow("NaN") << QPointF(nan, 300) << QPointF(-1, -1);
        QTest::addRow("infinite") << QPointF(400, -std::numeric_limits<double>::infinity())
                                  << QPointF(-1, -1);
        QTest::addRow("absurdly far") << QPointF(1e300, 300) << QPointF(-1, -1);
    }
    void storedPlaceIsPulledOntoAScreen() {
        QFETCH(QPointF, saved);
        QFETCH(QPointF, expected);
        InMemoryPreferenceStore preferences;
        preferences.setReal(preferenceKeys::launcherWindowX, saved.x());
        preferences.setReal(preferenceKeys::launcherWindowTopY, saved.y());
        const QList<ScreenArea> screens{{QRectF(0, 0, 1440, 900), QRectF(0, 25, 1440, 875)}};
        const WindowPositionStore store(preferences);
        const QRectF within =
            preferredAvailableFrame(screens, 0, std::nullopt, store.savedValues());
        QCOMPARE(store.load(QSizeF(600, 76), within).value_or(QPointF(-1, -1)), expected);
    }

    void unpluggedScreenFallsBackToThePrimary() {
        // Saved on a right-hand screen that is gone; the window lands on what is left.
        const QList<ScreenArea> screens{{QRectF(0, 0, 1280, 800), QRectF(0, 0, 1280, 770)}};
        const QRectF within = preferredAvailableFrame(screens, 0, std::nullopt, QPointF(2000, 100));
        QCOMPARE(within, QRectF(0, 0, 1280, 770));
        QCOMPARE(WindowPositionStore::clamped(QPointF(2000, 100), QSizeF(600, 460), within),
                 QPointF(680, 100));
    }

    void aVisibleWindowBelongsToTheScreenShowingIt() {
        const QList<ScreenArea> screens{{QRectF(0, 0, 1000, 800), QRectF(0, 0, 1000, 800)},
                                        {QRectF(1000, 0, 1000, 800), QRectF(1000, 30, 1000, 770)}};
        // Centre on the second screen.
        QCOMPARE(preferredAvailableFrame(screens, 0, QRectF(1100, 100, 600, 76), std::nullopt),
                 QRectF(1000, 30, 1000, 770));
        // Equal overlap, centre on neither: the first screen wins.
        QVERIFY(!screenWithGreatestOverlap(screens, QRectF(700, 900, 600, 76)));
        QCOMPARE(screenWithGreatestOverlap(screens, QRectF(700, 700, 600, 200)).value_or(-1), 0);
    }

    void storedSizesAreClamped() {
        InMemoryPreferenceStore preferences;
        const WindowSizeStore store = WindowSizeStore::launcherWindow(preferences);
        QCOMPARE(store.load(QSizeF(600, 460)), QSizeF(600, 460));
        preferences.setReal(preferenceKeys::launcherWindowWidth, 2000);
        preferences.setReal(preferenceKeys::launcherWindowHeight, 50);
        QCOMPARE(store.load(QSizeF(600, 460)), QSizeF(1400, 120));
        preferences.setString(preferenceKeys::launcherWindowWidth, QStringLiteral("wide"));
        QCOMPARE(store.load(QSizeF(600, 460)).width(), 600.0);
        preferences.setReal(preferenceKeys::launcherWindowWidth,
                            std::numeric_limits<double>::quiet_NaN());
        QCOMPARE(store.load(QSizeF(600, 460)).width(), 600.0);
    }
};

QTEST_GUILESS_MAIN(WindowGeometryTest)
#include "tst_windowgeometry.moc"
