// The real search window offscreen: typing, rows with icons, snippets and
// scores as the preferences say, and keys that arrive before the field.

#include "launcher/session/SearchResultListModel.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/shell/LauncherChrome.h"
#include "launcher/shell/LauncherShell.h"
#include "launcher/shell/LauncherTray.h"
#include "launcher/shell/LauncherWindow.h"
#include "launcher/shell/ResultIconProvider.h"
#include "launcher/shell/ResultRowDelegate.h"
#include "launcher/shell/ThemePalette.h"
#include "tests/support/Files.h"
#include "tests/support/Results.h"
#include "tests/support/SessionFakes.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QToolTip>
#include <QtTest>

using namespace trovi;
using namespace trovi::test;

namespace {

struct WindowUnderTest : SessionParts {
    QTemporaryDir home;
    std::unique_ptr<LauncherWindow> window;
    QLineEdit* field = nullptr;
    QListView* list = nullptr;

    explicit WindowUnderTest(bool snippets, bool scores) {
        ShowSnippetsStore(preferences).save(snippets);
        SearchScoreVisibilityStore(preferences).save(scores);
        window = std::make_unique<LauncherWindow>(services());
        window->show();
        field = window->findChild<QLineEdit*>(QStringLiteral("searchField"));
        list = window->findChild<QListView*>(QStringLiteral("resultList"));
    }

    // A calculator row, an application, a folder and a document with a
    // snippet, scored and in display order as the engine answers.
    QList<SearchResult> mixedResults() const {
        writeFile(home.filePath("calc.desktop"),
                  "[Desktop Entry]\nName=Budget Calculator\nIcon=accessories-calculator\n");
        SearchResult document = pathResult(SearchResultKind::file, home.path(), "plan.txt");
        document.snippet = QStringLiteral("the <mark>budget</mark> for next year");
        SearchResult sum = actionResult(SearchResultAction::copyToClipboard, "4", "4", "2+2");
        return {
            sum.withRelevanceScore(1000),
            pathResult(SearchResultKind::app, home.path(), "calc.desktop").withRelevanceScore(900),
            pathResult(SearchResultKind::folder, home.path(), "Budgets").withRelevanceScore(800),
            document.withRelevanceScore(700)};
    }

    // Whether a pixel of row `r`, right of its icon, passes `test`.
    bool rowPainted(int r, const std::function<bool(const QColor&)>& test) const {
        const QImage shot = list->viewport()->grab().toImage();
        const QRect rect = list->visualRect(list->model()->index(r, 0));
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = 60; x < rect.right(); ++x)
                if (test(shot.pixelColor(x, y)))
                    return true;
        return false;
    }

    // `count` documents, best first.
    QList<SearchResult> documents(int count) const {
        QList<SearchResult> results;
        for (int i = 0; i < count; ++i)
            results.append(pathResult(SearchResultKind::file, home.path(),
                                      QStringLiteral("doc%1.txt").arg(i, 2, 10, QChar(u'0')))
                               .withRelevanceScore(1000 - i));
        return results;
    }

    // Types `query` and answers the one search it starts with `results`.
    bool search(const QString& query, const QList<SearchResult>& results) {
        QTest::keyClicks(field, query);
        scheduler.advance(50);
        if (engine.calls.size() != 1 || engine.calls[0].query != query)
            return false;
        engine.answer(0, results);
        return QTest::qWaitFor([&] { return list->model()->rowCount() == results.size(); }, 30000);
    }

    ResultRowPresentation row(int r) const {
        return list->model()
            ->index(r, 0)
            .data(SearchResultListModel::PresentationRole)
            .value<ResultRowPresentation>();
    }
};

} // namespace

class LauncherWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsShowWhatThePreferencesAsk_data() {
        QTest::addColumn<bool>("snippets");
        QTest::addColumn<bool>("scores");
        QTest::addRow("snippets and scores") << true << true;
        QTest::addRow("neither") << false << false;
    }

    void rowsShowWhatThePreferencesAsk() {
        QFETCH(bool, snippets);
        QFETCH(bool, scores);
        WindowUnderTest t(snippets, scores);
        QVERIFY(t.search("bud", t.mixedResults()));
        QVERIFY(t.list->isVisible());

        ResultIconProvider icons;
        bool sawHighlight = false;
        for (int r = 0; r < 4; ++r) {
            const ResultRowPresentation row = t.row(r);
            QVERIFY2(!icons.icon(row.icon).isNull(), qPrintable(row.title));
            QCOMPARE(row.score.has_value(), scores);
            for (const SnippetSegment& s : row.snippet)
                sawHighlight |= s.isHighlighted && s.text == QLatin1String("budget");
        }
        QCOMPARE(sawHighlight, snippets);
        QCOMPARE(t.row(0).trailingSymbol, QStringLiteral("return")); // the calculator, selected

        // The highlight is painted: the marker colour appears only with snippets.
        QCOMPARE(t.rowPainted(3,
                              [](const QColor& c) {
                                  return c.red() > 240 && c.green() > 200 && c.blue() < 200;
                              }),
                 snippets);

        // Holding Ctrl on a document row turns its second line into the hint.
        QTest::keyClick(t.field, Qt::Key_Down);
        QTest::keyClick(t.field, Qt::Key_Down);
        QTest::keyClick(t.field, Qt::Key_Down);
        QTest::keyPress(t.field, Qt::Key_Control);
        QCOMPARE(t.row(3).secondLine, ResultRowPresentation::revealHint);
        QTest::keyRelease(t.field, Qt::Key_Control);
        QCOMPARE(t.row(3).secondLine, t.home.path());
        // Return in the field opens the selected row and hides the window.
        QTest::keyClick(t.field, Qt::Key_Return);
        QTRY_COMPARE(t.workspace.opened,
                     QStringList{QUrl::fromLocalFile(t.home.filePath("plan.txt")).toString()});
        QVERIFY(t.window->isHidden() && t.field->text().isEmpty());
    }

    void ctrlLetGoBeforeFocusLeavesNoRevealMode() {
        // The hotkey's Ctrl is still down as the window appears and let go
        // before the window has focus: the release goes to another window.
        WindowUnderTest t(false, false);
        QVERIFY(t.search("bud", t.mixedResults()));
        QTest::keyClick(t.field, Qt::Key_Down); // the application row, revealable
        t.window->hide();
        QWidget elsewhere;
        elsewhere.show();
        QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        QTest::keyPress(elsewhere.windowHandle(), Qt::Key_Control, Qt::ControlModifier);
        t.window->show();
        QCOMPARE(t.row(1).secondLine, ResultRowPresentation::revealHint);
        QTest::keyRelease(elsewhere.windowHandle(), Qt::Key_Control);
        QTRY_VERIFY(t.window->isActiveWindow());
        QVERIFY(t.row(1).secondLine != ResultRowPresentation::revealHint);
    }

    // A live theme change repaints the window, the rows' titles in their
    // kind's colour and the typed text, all at once.
    void themeChangeRepaintsAtOnce_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addRow("dark to Daylight") << "graphite"
                                          << "daylight";
        QTest::addRow("Daylight to dark") << "daylight"
                                          << "graphite";
        QTest::addRow("titles coloured by kind") << "daylight"
                                                 << "vitesseDarkSoft";
    }

    void themeChangeRepaintsAtOnce() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        WindowUnderTest t(false, false);
        LauncherThemeStore(t.preferences).save(from);
        t.notifications.post(notifications::LauncherThemeChanged);
        QVERIFY(t.search("bud", t.mixedResults()));
        LauncherThemeStore(t.preferences).save(to);
        t.notifications.post(notifications::LauncherThemeChanged);

        const LauncherTheme& expected =
            LauncherThemeCatalog::theme(*launcherThemeIDFromRawValue(to));
        const bool dark = hasDarkBackground(expected);
        auto near = [](const QColor& a, const QColor& b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                       std::abs(a.blue() - b.blue()) <=
                   12;
        };
        const QImage window = t.window->grab().toImage();
        QVERIFY(
            near(window.pixelColor(3, 3), themeQColor(expected.backgroundGradient.start, dark)));
        // The application row's title (yellow in the Vitesse theme) is painted.
        const QColor title = rowColours(expected, ThemedResultKind::app, false).primary;
        QVERIFY(t.rowPainted(1, [&](const QColor& c) { return near(c, title); }));
        // Some pixel of the typed text stands out from the new field colour.
        const QColor field = launcherChrome(expected).fieldBackground;
        const QRect place = t.field->geometry();
        double best = 1;
        for (int y = place.top() + 8; y < place.bottom() - 8; ++y)
            for (int x = place.left() + 10; x < place.left() + 80; ++x)
                best = std::max(best, contrastRatio(window.pixelColor(x, y), field));
        QVERIFY2(best >= 3.0, qPrintable(QString::number(best)));
    }

    void dragSnapsToTheCentreOnlyWhenAsked_data() {
        QTest::addColumn<bool>("snap");
        QTest::addRow("snapping on") << true;
        QTest::addRow("snapping off") << false;
    }

    void dragSnapsToTheCentreOnlyWhenAsked() {
        QFETCH(bool, snap);
        WindowUnderTest t(false, false);
        LauncherShell shell(t.window.get(), t.preferences, t.notifications, nullptr, "1");
        shell.start(false);
        WindowSnapSettingsStore(t.preferences).save(snap); // switched while running
        t.notifications.post(notifications::LauncherWindowSnapChanged);
        QWidget* w = t.window.get();
        const int centred = w->geometry().x();
        auto send = [w](QEvent::Type type, QPointF global, Qt::MouseButtons held) {
            QMouseEvent e(type, global - w->pos(), global, global, Qt::LeftButton, held,
                          Qt::NoModifier);
            QCoreApplication::sendEvent(w, &e);
        };
        const QPointF grip = w->pos() + QPointF(w->width() / 2, 3);
        send(QEvent::MouseButtonPress, grip, Qt::LeftButton);
        send(QEvent::MouseMove, grip + QPointF(8, 0), Qt::LeftButton);
        auto overlayShown = [] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == QLatin1String("snapGridOverlay") && top->isVisible())
                    return true;
            return false;
        };
        QCOMPARE(w->geometry().x(), snap ? centred : centred + 8);
        QCOMPARE(overlayShown(), snap);
        send(QEvent::MouseButtonRelease, grip + QPointF(8, 0), Qt::NoButton);
        QVERIFY(!overlayShown());
    }

    void theFirstLongListShowsItsTopRowWhole() {
        WindowUnderTest t(false, true);
        LauncherShell shell(t.window.get(), t.preferences, t.notifications, nullptr, "1");
        shell.start(false);
        QCOMPARE(t.window->height(), 76); // the compact bar
        QVERIFY(t.search("d", t.documents(40)));
        QTRY_VERIFY(t.window->height() > 300 && t.list->isVisible());
        QTRY_VERIFY(t.list->viewport()->height() > 200);
        QCOMPARE(t.list->visualRect(t.list->model()->index(0, 0)).top(), 0);
        // Arrowing down far keeps the selected row in view.
        for (int i = 0; i < 25; ++i)
            QTest::keyClick(t.field, Qt::Key_Down);
        const QRect selected = t.list->visualRect(t.list->model()->index(25, 0));
        QVERIFY(t.list->viewport()->rect().contains(selected));
    }

    void rowsTellTheirScore() {
        WindowUnderTest t(false, true);
        t.window->resize(700, 460);
        QVERIFY(t.search("d", t.documents(3)));
        const QModelIndex first = t.list->model()->index(0, 0);
        QCOMPARE(first.data(Qt::AccessibleTextRole).toString(),
                 QStringLiteral("doc00.txt, %1, Search score 1000").arg(t.home.path()));
        auto* delegate = qobject_cast<ResultRowDelegate*>(t.list->itemDelegate());
        QStyleOptionViewItem option;
        option.rect = t.list->visualRect(first);
        const QPoint over = ResultRowDelegate::scoreArea(option.rect, true).center();
        QHelpEvent help(QEvent::ToolTip, over, t.list->viewport()->mapToGlobal(over));
        QVERIFY(delegate->helpEvent(&help, t.list, option, first));
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("Search score"));
    }

    void theMenusReachSettingsTheTrayIconAndGettingStarted() {
        WindowUnderTest t(false, false);
        QSignalSpy settings(t.window.get(), &LauncherWindow::settingsRequested);
        QStringList posted;
        auto token = t.notifications.observe(notifications::LauncherMenuBarIconVisibilityChanged,
                                             [&](const QVariantMap&) { posted << "tray"; });
        std::unique_ptr<QMenu> menu(t.window->createFieldContextMenu());
        QAction* tray = nullptr;
        QAction* open = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == QLatin1String("Show Tray Icon"))
                tray = action;
            if (action->text() == QStringLiteral("Settings…"))
                open = action;
        }
        QVERIFY(tray && open && tray->isChecked());
        tray->trigger();
        QCOMPARE(MenuBarIconVisibilityStore(t.preferences).load(), false);
        QCOMPARE(posted, QStringList{"tray"});
        open->trigger();
        QCOMPARE(settings.size(), 1);
        LauncherTray trayIcon(t.window.get(), t.preferences, t.notifications, "1");
        QSignalSpy onboarding(&trayIcon, &LauncherTray::onboardingRequested);
        QMenu trayMenu;
        trayIcon.fillMenu(&trayMenu);
        for (QAction* action : trayMenu.actions())
            if (action->text() == QStringLiteral("Getting Started…"))
                action->trigger();
        QCOMPARE(onboarding.size(), 1);
    }

    void theVersionFooterFitsTheCompactBar() {
        WindowUnderTest t(false, false);
        LauncherShell shell(t.window.get(), t.preferences, t.notifications, nullptr, "1");
        shell.start(false);
        t.window->setVersionLabel(QStringLiteral("1.2.3 (0) • build 2026-01-02 03:04:05"));
        auto* footer = t.window->findChild<QLabel*>(QStringLiteral("versionFooter"));
        QTRY_VERIFY(footer->isVisible());
        QTRY_COMPARE(t.window->height(), 76);
        QVERIFY2(footer->geometry().top() > t.field->geometry().bottom(),
                 "the footer overlaps the field");
        QVERIFY(footer->geometry().bottom() < t.window->height());
        QVERIFY(footer->height() >= footer->fontMetrics().height());
    }

    void everyThemeKeepsItsChromeReadable_data() {
        QTest::addColumn<QString>("theme");
        for (const LauncherTheme& theme : LauncherThemeCatalog::all())
            QTest::newRow(qPrintable(rawValue(theme.id))) << rawValue(theme.id);
    }

    void everyThemeKeepsItsChromeReadable() {
        QFETCH(QString, theme);
        const LauncherChrome c =
            launcherChrome(LauncherThemeCatalog::theme(*launcherThemeIDFromRawValue(theme)));
        const struct {
            const char* what;
            QColor front, back;
        } pairs[] = {
            {"typed text on the field", c.fieldText, c.fieldBackground},
            {"placeholder on the field", c.placeholder, c.fieldBackground},
            {"field outline on the window", c.fieldOutline, c.panel},
            {"field outline on the window's other end", c.fieldOutline, c.panelLight},
            {"footer on the window", c.footerText, c.panel},
            {"footer on the window's other end", c.footerText, c.panelLight},
            {"scroll handle on its track", c.scrollHandle, c.scrollTrack},
        };
        for (const auto& pair : pairs)
            QVERIFY2(contrastRatio(pair.front, pair.back) >= 4.5,
                     qPrintable(QStringLiteral("%1: %2:1")
                                    .arg(pair.what)
                                    .arg(contrastRatio(pair.front, pair.back), 0, 'f', 2)));
    }

    // Keys that arrive before the field has focus land in the query; the
    // search shows its progress, and hiding the window cancels it.
    void keysBeforeTheFieldHasFocusSearchUntilHidden() {
        WindowUnderTest t(false, false);
        auto* progress = t.window->findChild<QProgressBar*>(QStringLiteral("searchProgress"));
        QVERIFY(progress && !progress->isVisible());
        t.field->clearFocus();
        QTest::keyClicks(t.window.get(), QStringLiteral("fi"));
        QTest::keyClicks(t.list, QStringLiteral("re"));
        QCOMPARE(t.field->text(), QStringLiteral("fire"));
        QCOMPARE(t.window->contentView().search().query, QStringLiteral("fire"));
        QVERIFY(progress->isVisible());
        t.window->hide();
        QVERIFY(!progress->isVisible());
        t.scheduler.advance(50);
        QCOMPARE(t.engine.calls.size(), 0); // nothing searches for a hidden window
    }
};

QTEST_MAIN(LauncherWindowTest)
#include "tst_launcherwindow.moc"
