// The Linux workspace against real child processes: desktop entries are
// launched from their Exec line, everything else reaches the opener program,
// and reveals go to a file manager on a private D-Bus or fall back to the
// parent folder.

#include "launcher/platform/linux/LinuxWorkspace.h"
#include "support/RecordingScript.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace trovi;
using trovi::test::RecordingScript;

namespace {

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

// Stands in for a file manager that implements the freedesktop interface.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> shownItems;
    QStringList startupIds;
public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString& startupId) {
        shownItems.append(uris);
        startupIds.append(startupId);
    }
};

class TestLinuxWorkspace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void launchesDesktopEntry();
    void workingFolder_data();
    void workingFolder();
    void terminalEntryRunsInTerminal();
    void linkEntryOpensItsAddress();
    void unlaunchableEntries_data();
    void unlaunchableEntries();
    void opensThroughOpener_data();
    void opensThroughOpener();
    void refusesWhatCannotBeOpened();
    void revealFallsBackWithoutSessionBus();
    void revealAsksFileManager();
    void revealFallsBackWhenNoFileManagerAnswers();

private:
    LinuxWorkspaceOptions options() const {
        LinuxWorkspaceOptions o;
        o.opener = opener_->path();
        return o;
    }
    QString writeEntry(const QString& name, const QByteArray& body);
    bool startPrivateBus();

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RecordingScript> opener_;
    std::unique_ptr<QProcess> busDaemon_;
    QString busAddress_;
};

void TestLinuxWorkspace::initTestCase() {
    // No test may reach the developer's real desktop session.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
}

void TestLinuxWorkspace::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    opener_ = std::make_unique<RecordingScript>(dir_->filePath("bin"), "opener");
}

void TestLinuxWorkspace::cleanup() {
    for (const char* name : {"trovi-test-fm", "trovi-test-client"})
        QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
    if (busDaemon_) {
        busDaemon_->terminate();
        busDaemon_->waitForFinished();
        busDaemon_.reset();
    }
    opener_.reset();
    dir_.reset();
}

QString TestLinuxWorkspace::writeEntry(const QString& name, const QByteArray& body) {
    const QString path = dir_->filePath(name);
    writeFile(path, body);
    return path;
}

void TestLinuxWorkspace::launchesDesktopEntry() {
    // The program sits in a folder with a blank, so the quoted path must survive.
    RecordingScript app(dir_->filePath("My Apps"), "demo");
    const QString entry =
        writeEntry("demo.desktop", "[Desktop Entry]\nType=Application\nName=Demo App\n"
                                   "Exec=\"" +
                                       app.path().toUtf8() +
                                       "\" --title=%c %U \"two words\" 100%% %i\nIcon=demo-icon\n");
    LinuxWorkspace workspace(options());

    QVERIFY(workspace.open(QUrl::fromLocalFile(entry)));

    QTRY_VERIFY(app.ran());
    QCOMPARE(app.arguments(),
             (QStringList{"--title=Demo App", "two words", "100%", "--icon", "demo-icon"}));
    QVERIFY2(!opener_->ran(), "a desktop entry must never be handed to the opener");
}

void TestLinuxWorkspace::workingFolder_data() {
    QTest::addColumn<QString>("pathKey");
    QTest::addColumn<bool>("expectHome");

    QTest::addRow("entry names a folder") << "work" << false;
    QTest::addRow("no Path key") << "" << true;
    QTest::addRow("Path names a missing folder") << "missing" << true;
}

void TestLinuxWorkspace::workingFolder() {
    QFETCH(QString, pathKey);
    QFETCH(bool, expectHome);
    QVERIFY(QDir(dir_->path()).mkpath("work"));
    RecordingScript app(dir_->filePath("apps"), "demo");
    QByteArray body = "[Desktop Entry]\nType=Application\nExec=" + app.path().toUtf8() + "\n";
    if (!pathKey.isEmpty())
        body += "Path=" + dir_->filePath(pathKey).toUtf8() + "\n";
    LinuxWorkspace workspace(options());

    QVERIFY(workspace.open(QUrl::fromLocalFile(writeEntry("demo.desktop", body))));

    QTRY_VERIFY(app.ran());
    const QString expected = expectHome ? QDir::homePath() : dir_->filePath("work");
    QCOMPARE(canonical(app.workingDir()), canonical(expected));
}

void TestLinuxWorkspace::terminalEntryRunsInTerminal() {
    RecordingScript terminal(dir_->filePath("bin"), "terminal");
    const QString entry = writeEntry("top.desktop", "[Desktop Entry]\nType=Application\n"
                                                    "Exec=htop --tree %F\nTerminal=true\n");
    LinuxWorkspaceOptions options = this->options();
    options.terminal = {terminal.path(), "-e"};
    LinuxWorkspace workspace(options);

    QVERIFY(workspace.open(QUrl::fromLocalFile(entry)));

    QTRY_VERIFY(terminal.ran());
    QCOMPARE(terminal.arguments(), (QStringList{"-e", "htop", "--tree"}));
}

void TestLinuxWorkspace::linkEntryOpensItsAddress() {
    const QString entry = writeEntry(
        "site.desktop", "[Desktop Entry]\nType=Link\nName=Site\nURL=https://example.org/docs\n");
    LinuxWorkspace workspace(options());

    QVERIFY(workspace.open(QUrl::fromLocalFile(entry)));

    QTRY_VERIFY(opener_->ran());
    QCOMPARE(opener_->arguments(), QStringList{"https://example.org/docs"});
}

void TestLinuxWorkspace::unlaunchableEntries_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("withTerminal");

    QTest::addRow("no Exec") << QByteArray("[Desktop Entry]\nType=Application\nName=X\n") << true;
    QTest::addRow("malformed Exec") << QByteArray("[Desktop Entry]\nExec=\"demo\n") << true;
    QTest::addRow("program missing")
        << QByteArray("[Desktop Entry]\nType=Application\nExec=/nonexistent/demo\n") << true;
    QTest::addRow("directory entry")
        << QByteArray("[Desktop Entry]\nType=Directory\nExec=/bin/true\n") << true;
    QTest::addRow("link without address") << QByteArray("[Desktop Entry]\nType=Link\n") << true;
    QTest::addRow("not a desktop entry") << QByteArray("just some text\n") << true;
    QTest::addRow("terminal entry, no terminal")
        << QByteArray("[Desktop Entry]\nType=Application\nExec=/bin/true\nTerminal=true\n")
        << false;
}

void TestLinuxWorkspace::unlaunchableEntries() {
    QFETCH(QByteArray, content);
    QFETCH(bool, withTerminal);
    LinuxWorkspaceOptions options = this->options();
    if (!withTerminal)
        options.terminal = {dir_->filePath("no-such-terminal"), "-e"};
    LinuxWorkspace workspace(options);

    // False, and in particular not opened as a text file through the opener.
    QVERIFY(!workspace.open(QUrl::fromLocalFile(writeEntry("broken.desktop", content))));
}

void TestLinuxWorkspace::opensThroughOpener_data() {
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expectedArgument");

    QTest::addRow("web page") << "https://example.org/a b?q=1"
                              << "https://example.org/a%20b?q=1";
    QTest::addRow("mail address") << "mailto:someone@example.org"
                                  << "mailto:someone@example.org";
    QTest::addRow("local file by path") << "@/notes #1.txt"
                                        << "@/notes #1.txt";
    QTest::addRow("local folder by path") << "@/Some Folder"
                                          << "@/Some Folder";
    QTest::addRow("desktop-named folder is a folder") << "@/odd.desktop"
                                                      << "@/odd.desktop";
}

void TestLinuxWorkspace::opensThroughOpener() {
    QFETCH(QString, target);
    QFETCH(QString, expectedArgument);
    QVERIFY(writeFile(dir_->filePath("notes #1.txt"), "hello"));
    QVERIFY(QDir(dir_->path()).mkpath("Some Folder"));
    QVERIFY(QDir(dir_->path()).mkpath("odd.desktop"));
    // A leading "@" stands for the temporary folder.
    const auto resolve = [&](const QString& s) {
        return s.startsWith(u'@') ? dir_->path() + s.mid(1) : s;
    };
    const QUrl url = target.startsWith(u'@') ? QUrl::fromLocalFile(resolve(target)) : QUrl(target);
    LinuxWorkspace workspace(options());

    QVERIFY(workspace.open(url));

    QTRY_VERIFY(opener_->ran());
    QCOMPARE(opener_->arguments(), QStringList{resolve(expectedArgument)});
}

void TestLinuxWorkspace::refusesWhatCannotBeOpened() {
    LinuxWorkspace workspace(options());
    QVERIFY(!workspace.open(QUrl()));
    QVERIFY(!workspace.open(QUrl::fromLocalFile(dir_->filePath("missing.txt"))));
    QVERIFY(!workspace.open(QUrl::fromLocalFile(dir_->filePath("missing.desktop"))));

    LinuxWorkspaceOptions missing = options();
    missing.opener = dir_->filePath("no-such-opener");
    LinuxWorkspace withoutOpener(missing);
    QVERIFY(!withoutOpener.open(QUrl("https://example.org")));
}

void TestLinuxWorkspace::revealFallsBackWithoutSessionBus() {
    QVERIFY(QDir(dir_->path()).mkpath("Reports/2024"));
    const QString item = dir_->filePath("Reports/2024/summary.pdf");
    QVERIFY(writeFile(item, "%PDF"));
    LinuxWorkspace workspace(options());
    QSignalSpy finished(&workspace, &LinuxWorkspace::revealFinished);

    workspace.reveal(item);

    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.first().at(0).toString(), item);
    QCOMPARE(finished.first().at(1).toBool(), false);
    QCOMPARE(workspace.pendingReveals(), 0);
    QTRY_VERIFY(opener_->ran());
    QCOMPARE(opener_->arguments(), QStringList{dir_->filePath("Reports/2024")});
}

bool TestLinuxWorkspace::startPrivateBus() {
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty())
        return false;
    // A bus of our own, without service activation, so the answer never
    // depends on which file managers the machine has installed.
    busAddress_ = "unix:path=" + dir_->filePath("bus");
    const QString config = dir_->filePath("bus.conf");
    writeFile(config, "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                      "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                      "busconfig.dtd\">\n<busconfig><type>session</type><listen>" +
                          busAddress_.toUtf8() +
                          "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                          "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                          "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
    busDaemon_ = std::make_unique<QProcess>();
    busDaemon_->start(daemon, {"--config-file=" + config, "--nofork", "--print-address"});
    // The daemon prints its address once it listens.
    return busDaemon_->waitForStarted() && busDaemon_->waitForReadyRead(10000);
}

void TestLinuxWorkspace::revealAsksFileManager() {
    if (!startPrivateBus())
        QSKIP("dbus-daemon is not available");
    QDBusConnection fmBus = QDBusConnection::connectToBus(busAddress_, "trovi-test-fm");
    QVERIFY(fmBus.isConnected());
    FakeFileManager fileManager;
    QVERIFY(fmBus.registerObject("/org/freedesktop/FileManager1", &fileManager,
                                 QDBusConnection::ExportAllSlots));
    QVERIFY(fmBus.registerService("org.freedesktop.FileManager1"));
    const QString item = dir_->filePath("a file #1.txt");
    QVERIFY(writeFile(item, "x"));
    LinuxWorkspaceOptions options = this->options();
    options.bus = QDBusConnection::connectToBus(busAddress_, "trovi-test-client");
    LinuxWorkspace workspace(options);
    QSignalSpy finished(&workspace, &LinuxWorkspace::revealFinished);

    workspace.reveal(item);

    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.first().at(1).toBool(), true);
    QCOMPARE(fileManager.shownItems,
             QList<QStringList>{{QUrl::fromLocalFile(item).toString(QUrl::FullyEncoded)}});
    QCOMPARE(fileManager.startupIds, QStringList{QString()});
    QCOMPARE(workspace.pendingReveals(), 0);
    QVERIFY(!opener_->ran());
}

void TestLinuxWorkspace::revealFallsBackWhenNoFileManagerAnswers() {
    if (!startPrivateBus())
        QSKIP("dbus-daemon is not available");
    const QString item = dir_->filePath("a.txt");
    QVERIFY(writeFile(item, "x"));
    LinuxWorkspaceOptions options = this->options();
    options.bus = QDBusConnection::connectToBus(busAddress_, "trovi-test-client");
    LinuxWorkspace workspace(options);
    QSignalSpy finished(&workspace, &LinuxWorkspace::revealFinished);

    workspace.reveal(item);
    QCOMPARE(workspace.pendingReveals(), 1);

    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.first().at(1).toBool(), false);
    QTRY_VERIFY(opener_->ran());
    QCOMPARE(opener_->arguments(), QStringList{dir_->path()});
}

QTEST_GUILESS_MAIN(TestLinuxWorkspace)
#include "tst_linuxworkspace.moc"
