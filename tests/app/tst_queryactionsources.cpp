// `trovi query` finding settings panels and bookmarks in a temporary home.

#include "db/SqliteDatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void write(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList rows(const QByteArray& json) {
    QStringList out;
    for (const QJsonValue& value : QJsonDocument::fromJson(json).array()) {
        const QJsonObject row = value.toObject();
        out << row["filename"].toString() + u'|' + row["directory"].toString();
    }
    return out;
}

} // namespace

class QueryActionSourcesTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void panelsAndBookmarks_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("row");
        QTest::addRow("Wi-Fi panel by a keyword") << "wlan"
                                                  << "Wi-Fi|System Settings";
        QTest::addRow("Chrome bookmark")
            << "wiki"
            << "Wiki • wiki.example.com|Chrome bookmark · Bookmarks Bar / Work";
        QTest::addRow("Firefox bookmark by its folder")
            << "recipes"
            << "Pasta • pasta.example|Firefox bookmark · Bookmarks Toolbar / Recipes";
    }
    void panelsAndBookmarks() {
        QFETCH(QString, query);
        QFETCH(QString, row);
        QTemporaryDir home;
        write(home.filePath("share/applications/gnome-wifi-panel.desktop"),
              "[Desktop Entry]\nType=Application\nName=Wi-Fi\nExec=gnome-control-center wifi\n"
              "X-GNOME-Settings-Panel=wifi\nOnlyShowIn=GNOME;\nNoDisplay=true\n");
        QDir().mkpath(home.filePath(".config/google-chrome/Default"));
        QFile::copy(TROVI_FIXTURES_DIR "/browser/Bookmarks",
                    home.filePath(".config/google-chrome/Default/Bookmarks"));
        write(home.filePath(".mozilla/firefox/profiles.ini"),
              "[Profile0]\nName=default\nIsRelative=1\nPath=p.default\n");
        QDir().mkpath(home.filePath(".mozilla/firefox/p.default"));
        auto places =
            trovi::db::Connection::open(home.filePath(".mozilla/firefox/p.default/places.sqlite"),
                                        trovi::db::ReadWrite | trovi::db::Create);
        QVERIFY(places);
        QVERIFY(!places->execute(R"(
            CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url TEXT, title TEXT);
            CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER,
                parent INTEGER, position INTEGER, title TEXT, guid TEXT);
            INSERT INTO moz_bookmarks VALUES (1,2,NULL,0,0,'','root________'),
                (2,2,NULL,1,0,'toolbar','toolbar_____'), (3,2,NULL,2,0,'Recipes',''),
                (4,1,1,3,0,'Pasta','');
            INSERT INTO moz_places VALUES (1,'https://pasta.example/',NULL);)"));

        QProcess trovi;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath(".config"));
        env.insert("XDG_DATA_HOME", home.filePath(".local/share"));
        env.insert("XDG_DATA_DIRS", home.filePath("share"));
        env.insert("XDG_CURRENT_DESKTOP", "GNOME");
        env.remove("DISPLAY");
        trovi.setProcessEnvironment(env);
        trovi.start(TROVI_EXECUTABLE, {"query", "--json", query});
        QVERIFY(trovi.waitForFinished(60000));
        QCOMPARE(trovi.exitCode(), 0);
        QVERIFY2(rows(trovi.readAllStandardOutput()).contains(row),
                 trovi.readAllStandardError().constData());
    }
};

QTEST_GUILESS_MAIN(QueryActionSourcesTest)
#include "tst_queryactionsources.moc"
