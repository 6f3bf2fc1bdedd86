// The Notion client against a real HTTP server on 127.0.0.1: the request it
// sends, and that every kind of failure is an empty list.

#include "launcher/clients/notion/NotionClient.h"
#include "launcher/clients/notion/NotionResponse.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/NotionFixtures.h"
#include "tests/support/StderrCapture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace trovi;
using namespace trovi::test;

class NotionClientTest : public QObject {
    Q_OBJECT

    struct Answer {
        bool early = false; // arrived before the call returned
        std::optional<QList<NotionPage>> pages;
        QString said; // on standard error
    };
    // The last of `times` searches on one client.
    Answer search(const NotionClientConfiguration& configuration, const QString& query = "roadmap",
                  int timeoutMs = 10000, int times = 1) {
        NotionClient client(configuration);
        StderrCapture capture;
        Answer answer;
        for (int i = 0; i < times; ++i) {
            answer.pages.reset();
            client.searchPages(query, kNotionTestToken, this, [&answer](QList<NotionPage> pages) {
                answer.pages = std::move(pages);
            });
            answer.early = answer.pages.has_value();
            // A reply that never comes shows as no pages in the caller's checks.
            (void)QTest::qWaitFor([&] { return answer.pages.has_value(); }, timeoutMs);
        }
        answer.said = capture.finish();
        return answer;
    }

    static NotionClientConfiguration configurationFor(const LocalHttpServer& server) {
        NotionClientConfiguration configuration;
        configuration.apiBaseURL = QUrl(server.baseURL() + "/ignored/path");
        configuration.timeoutSeconds = 0.3;
        configuration.transportModule = kNotionTestModule;
        return configuration;
    }

private Q_SLOTS:
    void requestAndParsedPages() {
        LocalHttpServer server;
        server.reply(200, notionTestResponse());
        const Answer answer = search(configurationFor(server), "Road Map");
        QVERIFY(!answer.early && answer.pages);
        QVERIFY(!answer.said.contains(kNotionTestToken));
        const QList<NotionPage>& pages = *answer.pages;

        QCOMPARE(server.requests().size(), 1);
        const ReceivedHttpRequest& request = server.requests().first();
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.path, QByteArray("/v1/search"));
        QCOMPARE(request.headers.value("authorization"), "Bearer " + kNotionTestToken.toUtf8());
        QCOMPARE(request.headers.value("notion-version"), QByteArray("2022-06-28"));
        const QJsonObject body = QJsonDocument::fromJson(request.body).object();
        QCOMPARE(body.value("query").toString(), "Road Map");
        QCOMPARE(body.value("page_size").toInt(), 12);
        QCOMPARE(body.value("filter").toObject(),
                 (QJsonObject{{"property", "object"}, {"value", "page"}}));

        // Empty titles and pages without an address are left out, in order.
        QStringList titles;
        for (const NotionPage& page : pages)
            titles.append(page.title);
        QCOMPARE(titles, (QStringList{"Roadmap 2027", "Plan", "Zürich – 東京 Notizen"}));
        // Emoji icons and edit times are checked on the engine's rows.
        QCOMPARE(pages.at(1).icon,
                 (NotionPageIcon{NotionPageIcon::Kind::external, "https://x.test/i.png"}));
    }

    void failuresAreEmpty_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addRow("malformed JSON") << 200 << QByteArray("{\"results\": [");
        QTest::addRow("results not a list of objects") << 200 << QByteArray("{\"results\":[1]}");
        QTest::addRow("401 unauthorized") << 401 << notionTestResponse();
        QTest::addRow("429 rate limited") << 429 << notionTestResponse();
        QTest::addRow("never answers") << 0 << QByteArray();
        QTest::addRow("connection refused") << -1 << QByteArray();
        // Said once, not at every keystroke.
        QTest::addRow("HTTP module missing") << -2 << notionTestResponse();
    }

    void failuresAreEmpty() {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        LocalHttpServer server;
        if (status == 0)
            server.neverAnswer();
        else
            server.reply(status, body);
        if (status == -1)
            server.stop();
        NotionClientConfiguration configuration = configurationFor(server);
        if (status == -2)
            configuration.transportModule = kNotionTestModule + ".missing";
        const Answer answer = search(configuration, "roadmap", 10000, 2);
        QVERIFY(!answer.early && answer.pages && answer.pages->isEmpty());
        QVERIFY(!answer.said.contains(kNotionTestToken));
        QCOMPARE(answer.said.count("Notion search is unavailable"), status == -2 ? 1 : 0);
    }

    // The token is for the configured server alone: a redirect to another
    // port on the same machine is another origin, and nothing reaches it.
    void redirectsAreNotFollowed_data() {
        QTest::addColumn<int>("status");
        for (int status : {301, 302, 303, 307, 308})
            QTest::addRow("%d", status) << status;
    }

    void redirectsAreNotFollowed() {
        QFETCH(int, status);
        LocalHttpServer elsewhere;
        elsewhere.reply(200, notionTestResponse());
        LocalHttpServer server;
        server.reply(status, "{}", {{"Location", elsewhere.baseURL().toUtf8() + "/v1/search"}});
        const Answer answer = search(configurationFor(server));
        QVERIFY(answer.pages && answer.pages->isEmpty());
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(elsewhere.requests().isEmpty());
        QVERIFY2(answer.said.contains("redirected to " + elsewhere.baseURL()),
                 qPrintable(answer.said));
        QVERIFY(!answer.said.contains(kNotionTestToken));
    }

    // An answer that never ends, in its body or its header, ends the search:
    // the body by its size (the deadline is far off), the header by the deadline.
    void unboundedAnswersEnd_data() {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QByteArray>("piece");
        QTest::addColumn<double>("timeoutSeconds");
        QTest::addColumn<QString>("said");
        const QByteArray chunk(65536, ' ');
        QTest::addRow("endless body without a length")
            << QByteArray("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n") << chunk << 600.0
            << "larger than 4 MB";
        QTest::addRow("endless header")
            << QByteArray("HTTP/1.1 200 OK\r\n") << "X-Padding: " + QByteArray(8000, 'a') + "\r\n"
            << 0.3 << QString();
    }

    void unboundedAnswersEnd() {
        QFETCH(QByteArray, head);
        QFETCH(QByteArray, piece);
        QFETCH(double, timeoutSeconds);
        QFETCH(QString, said);
        LocalHttpServer server;
        server.stream(head, piece);
        NotionClientConfiguration configuration = configurationFor(server);
        configuration.timeoutSeconds = timeoutSeconds;
        const Answer answer = search(configuration, "roadmap", 30000);
        QVERIFY(answer.pages && answer.pages->isEmpty());
        QVERIFY2(answer.said.contains(said), qPrintable(answer.said));
    }

    void resultsBeyondTheCapAreNotParsed() {
        QByteArrayList results;
        for (int i = 0; i < 150; ++i)
            results.append(R"({"id":")" + QByteArray::number(i) +
                           R"(","url":"https://notion.test/p","properties":{"Name":)"
                           R"({"type":"title","title":[{"plain_text":"page"}]}}})");
        const QByteArray body = R"({"results":[)" + results.join(',') + "]}";
        QCOMPARE(parseSearchResponse(body).size(), kNotionMaxParsedResults);
    }
};

QTEST_GUILESS_MAIN(NotionClientTest)
#include "tst_notionclient.moc"
