// The launcher window's shapes and places, on plain rectangles; snapping of a
// dragged window: guide positions, the 10-point lock and 22-point release, and
// the conversion to Qt's y-down screen.

#include "launcher/session/window/WindowGeometry.h"
#include "launcher/session/window/WindowSnapping.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <QtTest>

using namespace trovi;

using Values = QList<double>;

class WindowTest : public QObject {
    Q_OBJECT

    const QRectF m_screen{0, 0, 1440, 900};

private Q_SLOTS:
    void guides_data() {
        QTest::addColumn<double>("width");
        QTest::addColumn<Values>("x");
        QTest::addColumn<Values>("vertical");
        QTest::addRow("600 wide: bar 16 narrower")
            << 600.0 << Values{420} << Values{428, 720, 1012};
        QTest::addRow("narrow: bar of 200") << 150.0 << Values{645} << Values{620, 720, 820};
        QTest::addRow("wider than the screen: bar capped")
            << 2000.0 << Values{-280} << Values{0, 720, 1440};
    }

    void guides() {
        QFETCH(double, width);
        QFETCH(Values, x);
        QFETCH(Values, vertical);
        const LauncherSnapState state = snapState(QRectF(0, 0, width, 76), m_screen);
        QCOMPARE(state.candidateXOrigins, x);
        QCOMPARE(state.verticalGuideLines, vertical);
        QCOMPARE(state.horizontalGuideLines, (Values{300, 450, 600, 750}));
        QCOMPARE(state.candidateYOrigins, (Values{262, 412, 562, 712}));
    }

    void dragLocksAndReleases_data() {
        QTest::addColumn<Values>("proposedX");
        QTest::addColumn<Values>("resultX");
        QTest::addRow("8 away snaps, 21 holds, 23 releases")
            << Values{428, 441, 443} << Values{420, 420, 443};
        QTest::addRow("exactly 10 away snaps") << Values{430} << Values{420};
        QTest::addRow("10.5 away does not") << Values{430.5} << Values{430.5};
        QTest::addRow("released, then near again")
            << Values{420, 450, 415} << Values{420, 450, 420};
    }

    void dragLocksAndReleases() {
        QFETCH(Values, proposedX);
        QFETCH(Values, resultX);
        WindowDragSnapper snapper;
        snapper.dragBegan();
        for (qsizetype i = 0; i < proposedX.size(); ++i) {
            const auto step = snapper.dragMoved(QPointF(proposedX[i], 100), QRectF(0, 0, 600, 76),
                                                m_screen, true);
            QCOMPARE(step.origin.x(), resultX[i]);
            QCOMPARE(step.highlightedVerticalLine,
                     resultX[i] == 420 ? std::optional(720.0) : std::nullopt);
        }
    }

    void verticalLockHighlightsItsLine() {
        WindowDragSnapper snapper;
        const auto step =
            snapper.dragMoved(QPointF(300, 570), QRectF(0, 0, 600, 76), m_screen, true);
        QCOMPARE(step.origin, QPointF(300, 562));
        QCOMPARE(step.highlightedHorizontalLine, std::optional(600.0));
        QVERIFY(step.showOverlay);
        // Switched off mid-drag: no overlay, no lock, the origin as proposed.
        const auto off =
            snapper.dragMoved(QPointF(300, 565), QRectF(0, 0, 600, 76), m_screen, false);
        QCOMPARE(off.origin, QPointF(300, 565));
        QVERIFY(!off.showOverlay && !off.highlightedHorizontalLine && !snapper.isLocked());
    }

    void qtScreenIsYDown() {
        // The guide a third of the way up the screen is two thirds down in Qt.
        WindowDragSnapper snapper;
        const QRectF window(0, 0, 600, 76);
        const auto step = snapper.dragMovedOnScreen(QPointF(425, 565), window, m_screen, true);
        QCOMPARE(step.origin, QPointF(420, 562));
        QCOMPARE(step.highlightedHorizontalLine, std::optional(600.0));
        QCOMPARE(step.state.horizontalGuideLines, (Values{600, 450, 300, 150}));
        // The visible frame still bounds the window.
        const auto clamped = snapper.dragMovedOnScreen(QPointF(-50, 870), window, m_screen, false);
        QCOMPARE(clamped.origin, QPointF(0, 824));
    }

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

QTEST_GUILESS_MAIN(WindowTest)
#include "tst_window.moc"
