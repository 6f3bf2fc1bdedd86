// `trovi query` finds Notion pages on a local server standing in for the API,
// waits only as long as its lookup runs, and never prints the token.

#include "tests/support/LocalHttpServer.h"
#include "tests/support/NotionFixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace trovi;
using namespace trovi::test;

class NotionQueryTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_home;
    LocalHttpServer m_server;

    struct Run {
        int exitCode = -1;
        QByteArray out, err;
    };

    // The server lives on this thread, so wait without blocking the event loop.
    Run trovi(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.path() + QStringLiteral("/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"),
                   m_home.path() + QStringLiteral("/.local/share"));
        env.insert(QStringLiteral("XDG_DATA_DIRS"), m_home.path() + QStringLiteral("/share"));
        env.insert(QStringLiteral("TROVI_NOTION_API_URL"), m_server.baseURL());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TROVI_EXECUTABLE), arguments);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 30000); }();
        if (process.state() != QProcess::NotRunning)
            process.kill();
        process.waitForFinished();
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

private Q_SLOTS:
    void initTestCase() {
        const Run set = trovi({QStringLiteral("config"), QStringLiteral("set"),
                               QStringLiteral("notionIntegrationToken"), kNotionTestToken});
        QCOMPARE(set.exitCode, 0);
        const Run list = trovi({QStringLiteral("config"), QStringLiteral("list")});
        QVERIFY(!QByteArray(set.out + set.err + list.out + list.err)
                     .contains(kNotionTestToken.toUtf8()));
    }

    void pagesFromTheServerOpenTheirAddress() {
        m_server.reply(200, notionTestResponse());
        const Run run =
            trovi({QStringLiteral("query"), QStringLiteral("--json"), QStringLiteral("roadmap")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!run.out.contains(kNotionTestToken.toUtf8()));
        QVERIFY(!run.err.contains(kNotionTestToken.toUtf8()));
        QCOMPARE(m_server.requests().size(), 1);
        QJsonObject roadmap;
        for (const QJsonValue& value : QJsonDocument::fromJson(run.out).array()) {
            if (value["filename"].toString().endsWith(QStringLiteral("Roadmap 2027")))
                roadmap = value.toObject();
        }
        QCOMPARE(roadmap["action"].toString(), QStringLiteral("openNotionPage"));
        QCOMPARE(roadmap["actionURLString"].toString(),
                 QStringLiteral("https://www.notion.so/0123abcd00004000800000000000000a"));
    }

    void aStoppedServerGivesNoPagesAndNoHang() {
        m_server.stop();
        const Run run =
            trovi({QStringLiteral("query"), QStringLiteral("--json"), QStringLiteral("--wait"),
                   QStringLiteral("2"), QStringLiteral("plans")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(!run.err.contains(kNotionTestToken.toUtf8()));
        for (const QJsonValue& value : QJsonDocument::fromJson(run.out).array())
            QVERIFY(value["action"].toString() != QStringLiteral("openNotionPage"));
    }
};

QTEST_GUILESS_MAIN(NotionQueryTest)
#include "tst_notionquery.moc"
