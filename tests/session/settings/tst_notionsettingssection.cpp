// The Notion settings section against a real HTTP server on 127.0.0.1: the
// token it stores and what its connection test says.

#include "launcher/clients/notion/NotionClient.h"
#include "launcher/session/settings/NotionSettingsSection.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/NotionFixtures.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace trovi;
using namespace trovi::test;

class NotionSettingsSectionTest : public QObject {
    Q_OBJECT

    static NotionClientConfiguration configurationFor(const LocalHttpServer& server) {
        NotionClientConfiguration configuration;
        configuration.apiBaseURL = QUrl(server.baseURL());
        configuration.timeoutSeconds = 0.3;
        configuration.transportModule = kNotionTestModule;
        return configuration;
    }

private Q_SLOTS:
    void settingsSectionSavesAndTests() {
        LocalHttpServer server;
        NotionClient client(configurationFor(server));
        InMemoryPreferenceStore preferences;
        NotionSettingsSection section(preferences, nullptr, client);
        QVERIFY(!section.isEnabled());

        section.testConnection();
        QCOMPARE(section.status(), "No token provided.");

        // Storing the token and the switch is the settings window's test.
        section.setToken(QStringLiteral("  ") + kNotionTestToken + "\n");
        QVERIFY(section.status().isEmpty());

        server.reply(200, notionTestResponse());
        section.testConnection();
        QCOMPARE(section.status(), "Testing...");
        QTRY_COMPARE(section.status(), "Connected — found 3 page(s).");
        QCOMPARE(QJsonDocument::fromJson(server.requests().last().body)["query"].toString(),
                 "test");
        QCOMPARE(server.requests().last().headers.value("authorization"),
                 "Bearer " + kNotionTestToken.toUtf8());

        // A refused token cannot be told from no matches.
        server.reply(401, "{}");
        section.testConnection();
        QTRY_COMPARE(section.status(), "Connected (no pages matched \"test\").");

        section.setEnabled(false);
        QVERIFY(section.status().isEmpty());
    }
};

QTEST_GUILESS_MAIN(NotionSettingsSectionTest)
#include "tst_notionsettingssection.moc"
