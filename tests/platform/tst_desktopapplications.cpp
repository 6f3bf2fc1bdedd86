// Freedesktop application entries as app records.

#include "launcher/engine/sources/paths/DesktopApplicationDirectories.h"
#include "launcher/platform/linux/DesktopApplicationDiscovery.h"

#include <QtTest>

using namespace trovi;
using namespace trovi::platform;
using namespace Qt::StringLiterals;

class DesktopApplicationsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsVisibleApplicationsAndHonoursOverrides() {
        // The user's viewer wins over the system's; the user's removed entry
        // hides the system's; helpers, links, other desktops' entries, other
        // files and programs that are not installed stay out.
        const QString user = TROVI_FIXTURES_DIR u"/applications/user/applications"_s;
        const QString system = TROVI_FIXTURES_DIR u"/applications/system/applications"_s;
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");

        const auto results = discoverDesktopApplications({user, system, user + u"/no"_s});
        QStringList found;
        for (const auto& r : results) {
            found.append(r.fullPath());
            QVERIFY(r.kind == SearchResultKind::app && r.id == stableNegativeID(r.fullPath()));
        }
        found.sort();
        QCOMPARE(found, (QStringList{system + u"/action.desktop"_s, system + u"/editor.desktop"_s,
                                     system + u"/gnome.desktop"_s, system + u"/kde/tool.desktop"_s,
                                     system + u"/present.desktop"_s, user + u"/viewer.desktop"_s}));
        const auto web = std::find_if(results.cbegin(), results.cend(), [](const auto& r) {
            return r.filename == u"gnome.desktop"_s;
        });
        QCOMPARE(web->title, std::optional<QString>(u"App"_s));
        QCOMPARE(web->keywords, std::optional<QString>(u"Web Browser;internet;www"_s));
        QCOMPARE(web->iconName, std::optional<QString>(u"org.example.Web"_s));
    }

    void defaultFoldersFollowXdgVariables() {
        qputenv("XDG_DATA_HOME", "/data/home");
        qputenv("XDG_DATA_DIRS", "/one:relative:/two/");
        const QStringList dirs = defaultDesktopApplicationDirectories(u"/home/u"_s);
        QCOMPARE(dirs.first(), u"/data/home/applications"_s);
        // The user's flatpak exports come next; relative entries are ignored.
        QCOMPARE(dirs.mid(2, 2), (QStringList{u"/one/applications"_s, u"/two/applications"_s}));
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
        const QStringList defaults = defaultDesktopApplicationDirectories(u"/home/u"_s);
        QCOMPARE(defaults.first(), u"/home/u/.local/share/applications"_s);
        QVERIFY(defaults.contains(u"/usr/share/applications"_s));
    }
};

QTEST_GUILESS_MAIN(DesktopApplicationsTest)
#include "tst_desktopapplications.moc"
