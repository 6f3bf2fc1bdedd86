// The search window offscreen, with a search function the test controls.

#include "launcher/shell/LauncherWindow.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPromise>
#include <QtTest>

using namespace trovi;

namespace {

SearchResult named(const QString& name) {
    SearchResult r;
    r.kind = SearchResultKind::file;
    r.directory = QStringLiteral("/d");
    r.filename = name;
    r.id = stableNegativeID(name);
    return r;
}

struct Activation {
    SearchResult result;
    ResultActivationMode mode;
    QString query;
    bool preview;
};

// Searches answer only when the test says so, in any order.
struct PendingSearches {
    QList<std::pair<QString, std::shared_ptr<QPromise<QList<SearchResult>>>>> pending;
    LauncherWindow::SearchFunction function() {
        return [this](const QString& query, bool) {
            auto promise = std::make_shared<QPromise<QList<SearchResult>>>();
            promise->start();
            pending.append({query, promise});
            return promise->future();
        };
    }
    void answer(int index, const QList<SearchResult>& results) {
        pending[index].second->addResult(results);
        pending[index].second->finish();
    }
};

// A shown window whose activations are recorded.
struct WindowUnderTest {
    PendingSearches searches;
    QList<Activation> activations;
    LauncherWindow window;
    QLineEdit* field;
    explicit WindowUnderTest(int debounceMilliseconds)
        : window(
              searches.function(),
              [this](const SearchResult& r, ResultActivationMode mode, const QString& query,
                     const QList<SearchResult>&, bool preview) {
                  activations.append({r, mode, query, preview});
              },
              debounceMilliseconds),
          field(nullptr) {
        window.show();
        field = window.findChild<QLineEdit*>(QStringLiteral("searchField"));
    }
};

} // namespace

class LauncherWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void typingSearchesAndLatestAnswerWins() {
        PendingSearches searches;
        LauncherWindow window(searches.function(), {}, 10);
        window.show();
        auto* field = window.findChild<QLineEdit*>(QStringLiteral("searchField"));
        auto* list = window.findChild<QListWidget*>(QStringLiteral("resultList"));
        QTest::keyClicks(field, QStringLiteral("no"));
        QTRY_COMPARE(searches.pending.size(), 1);
        QTest::keyClicks(field, QStringLiteral("t"));
        QTRY_COMPARE(searches.pending.size(), 2);
        QCOMPARE(searches.pending[1].first, QStringLiteral("not"));

        searches.answer(1, {named(QStringLiteral("notes")), named(QStringLiteral("nothing"))});
        QTRY_COMPARE(list->count(), 2);
        searches.answer(0, {named(QStringLiteral("november"))}); // late answer to "no"
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->currentRow(), 0);
    }

    void returnActivatesSelectionAndControlReveals() {
        WindowUnderTest t(10);
        auto& [searches, activations, window, field] = t;
        QTest::keyClicks(field, QStringLiteral("re"));
        QTRY_COMPARE(searches.pending.size(), 1);
        searches.answer(0, {named(QStringLiteral("report")), named(QStringLiteral("resume"))});
        QTRY_COMPARE(window.results().size(), 2);

        QTest::keyClick(field, Qt::Key_Down);
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(activations.size(), 1);
        QCOMPARE(activations[0].result.filename, QStringLiteral("resume"));
        QVERIFY(activations[0].mode == ResultActivationMode::open);
        QCOMPARE(activations[0].query, QStringLiteral("re"));
        QVERIFY(field->text().isEmpty());
        QVERIFY(window.isHidden());

        window.show();
        QTest::keyClicks(field, QStringLiteral("re"));
        QTRY_COMPARE(searches.pending.size(), 2);
        searches.answer(1, {named(QStringLiteral("report"))});
        QTRY_COMPARE(window.results().size(), 1);
        QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(activations.size(), 2);
        QVERIFY(activations[1].mode == ResultActivationMode::revealInFileBrowser);
        QVERIFY(!activations[0].preview && !activations[1].preview);
    }

    void returnBeforeTheLatestAnswerActivatesAPreview() {
        WindowUnderTest t(1000);
        auto& [searches, activations, window, field] = t;
        QTest::keyClicks(field, QStringLiteral("f"));
        window.rerunCurrentQuery(); // answer "f" without waiting for the debounce
        searches.answer(0, {named(QStringLiteral("firefox"))});
        QTRY_COMPARE(window.results().size(), 1);
        QTest::keyClicks(field, QStringLiteral("o")); // the search for "fo" has not run yet
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(activations.size(), 1);
        QCOMPARE(activations[0].query, QStringLiteral("fo"));
        QVERIFY(activations[0].preview);
    }

    void rerunKeepsTheSelectedResult() {
        PendingSearches searches;
        LauncherWindow window(searches.function(), {}, 10);
        window.show();
        auto* field = window.findChild<QLineEdit*>(QStringLiteral("searchField"));
        auto* list = window.findChild<QListWidget*>(QStringLiteral("resultList"));
        QTest::keyClicks(field, QStringLiteral("a"));
        QTRY_COMPARE(searches.pending.size(), 1);
        searches.answer(0, {named(QStringLiteral("alpha")), named(QStringLiteral("beta"))});
        QTRY_COMPARE(list->count(), 2);
        QTest::keyClick(field, Qt::Key_Down);
        window.rerunCurrentQuery();
        QCOMPARE(searches.pending.size(), 2);
        searches.answer(1, {named(QStringLiteral("aardvark")), named(QStringLiteral("alpha")),
                            named(QStringLiteral("beta"))});
        QTRY_COMPARE(list->count(), 3);
        QCOMPARE(list->currentRow(), 2);
    }

    void escapeClearsThenHides() {
        PendingSearches searches;
        LauncherWindow window(searches.function(), {}, 10);
        window.show();
        auto* field = window.findChild<QLineEdit*>(QStringLiteral("searchField"));
        QTest::keyClicks(field, QStringLiteral("x"));
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(field->text().isEmpty());
        QVERIFY(window.isVisible());
        QTest::keyClick(field, Qt::Key_Escape);
        QVERIFY(window.isHidden());
    }
};

QTEST_MAIN(LauncherWindowTest)
#include "tst_launcherwindow.moc"
