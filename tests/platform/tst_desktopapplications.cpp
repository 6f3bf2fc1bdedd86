// Freedesktop application entries as app records.

#include "launcher/engine/sources/paths/DesktopApplicationDirectories.h"
#include "launcher/platform/linux/DesktopApplicationDiscovery.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace trovi;
using namespace trovi::platform;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kApp = "[Desktop Entry]\nType=Application\nName=App\nExec=app\n";

bool writeEntry(const QString& path, const QByteArray& body = kApp) {
    return trovi::test::writeFile(path, body);
}

} // namespace

class DesktopApplicationsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsVisibleApplicationsAndHonoursOverrides() {
        QTemporaryDir temp;
        const QString user = temp.path() + u"/user/applications"_s;
        const QString system = temp.path() + u"/system/applications"_s;
        writeEntry(system + u"/editor.desktop"_s);
        writeEntry(system + u"/viewer.desktop"_s);
        writeEntry(user + u"/viewer.desktop"_s); // the user's copy wins
        writeEntry(system + u"/removed.desktop"_s);
        writeEntry(user + u"/removed.desktop"_s,
                   "[Desktop Entry]\nType=Application\nHidden=true\n");
        writeEntry(system + u"/helper.desktop"_s,
                   "[Desktop Entry]\nType=Application\nNoDisplay=true\n");
        writeEntry(system + u"/site.desktop"_s,
                   "[Desktop Entry]\nType=Link\nURL=https://example.org\n");
        writeEntry(system + u"/action.desktop"_s,
                   "[Desktop Entry]\nType=Application\n[Desktop Action New]\nNoDisplay=true\n");
        writeEntry(system + u"/kde/tool.desktop"_s);
        writeEntry(system + u"/notes.txt"_s);
        writeEntry(system + u"/absent.desktop"_s, kApp + "TryExec=/nonexistent/bin/absent\n");
        writeEntry(system + u"/present.desktop"_s, kApp + "TryExec=sh\n");
        writeEntry(system + u"/kdeonly.desktop"_s, kApp + "OnlyShowIn=KDE;\n");
        writeEntry(system + u"/notgnome.desktop"_s, kApp + "NotShowIn=X-Cinnamon;GNOME;\n");
        writeEntry(system + u"/gnome.desktop"_s,
                   kApp + "OnlyShowIn=GNOME;Unity;\nGenericName=Web Browser\n"
                          "Keywords=internet;www;\nIcon=org.example.Web\n");
        qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");

        const auto results = discoverDesktopApplications({user, system, temp.path() + u"/no"_s});
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
