// Freedesktop application entries as app records.

#include "launcher/engine/DesktopApplicationDiscovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace trovi;

namespace {

void writeEntry(const QString& path, const QByteArray& body) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(body);
}

QStringList names(const QList<SearchResult>& results) {
    QStringList list;
    for (const auto& r : results)
        list.append(r.fullPath());
    return list;
}

} // namespace

class DesktopApplicationsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsVisibleApplicationsAndHonoursOverrides() {
        QTemporaryDir temp;
        const QString user = temp.path() + QStringLiteral("/user/applications");
        const QString system = temp.path() + QStringLiteral("/system/applications");
        const QByteArray app = "[Desktop Entry]\nType=Application\nName=App\nExec=app\n";
        writeEntry(system + QStringLiteral("/editor.desktop"), app);
        writeEntry(system + QStringLiteral("/viewer.desktop"), app);
        writeEntry(user + QStringLiteral("/viewer.desktop"), app); // the user's copy wins
        writeEntry(system + QStringLiteral("/removed.desktop"), app);
        writeEntry(user + QStringLiteral("/removed.desktop"),
                   "[Desktop Entry]\nType=Application\nHidden=true\n");
        writeEntry(system + QStringLiteral("/helper.desktop"),
                   "[Desktop Entry]\nType=Application\nNoDisplay=true\n");
        writeEntry(system + QStringLiteral("/site.desktop"),
                   "[Desktop Entry]\nType=Link\nURL=https://example.org\n");
        writeEntry(system + QStringLiteral("/action.desktop"),
                   "[Desktop Entry]\nType=Application\n[Desktop Action New]\nNoDisplay=true\n");
        writeEntry(system + QStringLiteral("/kde/tool.desktop"), app);
        writeEntry(system + QStringLiteral("/notes.txt"), app);

        const auto results =
            discoverDesktopApplications({user, system, temp.path() + QStringLiteral("/missing")});
        QStringList found = names(results);
        found.sort();
        QCOMPARE(found, (QStringList{system + QStringLiteral("/action.desktop"),
                                     system + QStringLiteral("/editor.desktop"),
                                     system + QStringLiteral("/kde/tool.desktop"),
                                     user + QStringLiteral("/viewer.desktop")}));
        for (const auto& r : results) {
            QVERIFY(r.kind == SearchResultKind::app);
            QVERIFY(r.id < 0);
            QVERIFY(!r.databaseID());
        }
    }

    void defaultFoldersFollowXdgVariables() {
        qputenv("XDG_DATA_HOME", "/data/home");
        qputenv("XDG_DATA_DIRS", "/one:relative:/two/");
        const QStringList dirs = defaultDesktopApplicationDirectories(QStringLiteral("/home/u"));
        QCOMPARE(dirs.first(), QStringLiteral("/data/home/applications"));
        QVERIFY(dirs.indexOf(QStringLiteral("/one/applications")) <
                dirs.indexOf(QStringLiteral("/two/applications")));
        QVERIFY(!dirs.contains(QStringLiteral("relative/applications")));
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_DIRS");
        const QStringList defaults =
            defaultDesktopApplicationDirectories(QStringLiteral("/home/u"));
        QCOMPARE(defaults.first(), QStringLiteral("/home/u/.local/share/applications"));
        QVERIFY(defaults.contains(QStringLiteral("/usr/share/applications")));
    }
};

QTEST_GUILESS_MAIN(DesktopApplicationsTest)
#include "tst_desktopapplications.moc"
