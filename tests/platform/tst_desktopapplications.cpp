// Freedesktop application entries as app records.

#include "launcher/engine/sources/paths/DesktopApplicationDirectories.h"
#include "launcher/platform/linux/DesktopApplicationDiscovery.h"

#include <QtTest>

using namespace trovi;
using namespace trovi::platform;
using namespace Qt::StringLiterals;

class DesktopApplicationsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_bin;

private Q_SLOTS:
    void initTestCase() {
        // The fixtures' entries run "app"; an entry whose program is not
        // installed is hidden.
        QFile app(m_bin.filePath("app"));
        QVERIFY(app.open(QIODevice::WriteOnly));
        app.close();
        app.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", (m_bin.path() + ":" + qEnvironmentVariable("PATH")).toUtf8());
    }

    void listsVisibleApplicationsAndHonoursOverrides() {
        // The user's viewer wins over the system's; the user's removed entry
        // hides the system's; helpers, links, other desktops' entries, other
        // files and programs that are not installed (TryExec or Exec) stay out.
        const QString user = TROVI_FIXTURES_DIR "/applications/user/applications";
        const QString system = TROVI_FIXTURES_DIR "/applications/system/applications";
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");

        const auto results = discoverDesktopApplications({user, system, user + "/no"});
        QStringList found;
        for (const auto& r : results) {
            found.append(r.fullPath());
            QVERIFY(r.kind == SearchResultKind::app && r.id == stableNegativeID(r.fullPath()));
        }
        found.sort();
        QCOMPARE(found, (QStringList{system + "/action.desktop", system + "/editor.desktop",
                                     system + "/gnome.desktop", system + "/kde/tool.desktop",
                                     system + "/present.desktop", user + "/viewer.desktop"}));
        const auto web = std::find_if(results.cbegin(), results.cend(),
                                      [](const auto& r) { return r.filename == "gnome.desktop"; });
        QCOMPARE(web->title, std::optional<QString>("App"));
        QCOMPARE(web->keywords, std::optional<QString>("Web Browser;internet;www"));
        QCOMPARE(web->iconName, std::optional<QString>("org.example.Web"));
    }

    void defaultFoldersFollowXdgVariables() {
        qputenv("XDG_DATA_HOME", "/data/home");
        qputenv("XDG_DATA_DIRS", "/one:relative:/two/");
        const QStringList dirs = defaultDesktopApplicationDirectories("/home/u");
        QCOMPARE(dirs.first(), "/data/home/applications");
        // The user's flatpak exports come next; relative entries are ignored.
        QCOMPARE(dirs.mid(2, 2), (QStringList{"/one/applications", "/two/applications"}));
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
        const QStringList defaults = defaultDesktopApplicationDirectories("/home/u");
        QCOMPARE(defaults.first(), "/home/u/.local/share/applications");
        QVERIFY(defaults.contains("/usr/share/applications"));
    }
};

QTEST_GUILESS_MAIN(DesktopApplicationsTest)
#include "tst_desktopapplications.moc"
