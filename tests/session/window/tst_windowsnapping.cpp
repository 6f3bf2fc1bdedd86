// Snapping geometry of a dragged launcher window: guide positions, the 10-point
// lock and 22-point release, and the conversion to Qt's y-down screen.

#include "launcher/session/window/WindowSnapping.h"

#include <QtTest>

using namespace trovi;

using Values = QList<double>;

class WindowSnappingTest : public QObject {
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
};

QTEST_GUILESS_MAIN(WindowSnappingTest)
#include "tst_windowsnapping.moc"
