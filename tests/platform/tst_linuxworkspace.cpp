// The Linux workspace against real child processes: desktop entries are
// launched from their Exec line, everything else reaches the opener program,
// and reveals go to a file manager on a private D-Bus or fall back to the
// parent folder.

#include "launcher/core/NativePath.h"
#include "launcher/platform/linux/LinuxWorkspace.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingScript.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

using namespace trovi;
using trovi::test::RecordingScript;
using trovi::test::writeFile;

// Stands in for a file manager that implements the freedesktop interface.
class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QList<QStringList> shownItems;
public Q_SLOTS:
    void ShowItems(const QStringList& uris, const QString&) { shownItems.append(uris); }
};

class TestLinuxWorkspace : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RecordingScript> opener_;
    std::unique_ptr<QProcess> busDaemon_;
    QString busAddress_;

    LinuxWorkspaceOptions options() const {
        LinuxWorkspaceOptions o;
        o.opener = opener_->path();
        return o;
    }

    QString writeEntry(const QString& name, const QByteArray& body) {
        const QString path = dir_->filePath(name);
        writeFile(path, body);
        return path;
    }

    bool startPrivateBus() {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            return false;
        // A bus of our own, without service activation, so the answer never
        // depends on which file managers the machine has installed.
        busDaemon_ = std::make_unique<QProcess>();
        busDaemon_->start(daemon, {"--config-file=" TROVI_FIXTURES_DIR "/dbus/private-session.conf",
                                   "--nofork", "--print-address"});
        // The daemon prints its address once it listens.
        if (!busDaemon_->waitForStarted() || !busDaemon_->waitForReadyRead(10000))
            return false;
        busAddress_ = QString::fromUtf8(busDaemon_->readLine()).trimmed();
        return true;
    }

private Q_SLOTS:
    void initTestCase() {
        // No test may reach the developer's real desktop session.
        qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        opener_ = std::make_unique<RecordingScript>(dir_->filePath("bin"), "opener");
    }

    void cleanup() {
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

    void launchesDesktopEntryInItsFolder() {
        // The program sits in a folder with a blank, so the quoted path must survive.
        RecordingScript app(dir_->filePath("My Apps"), "demo");
        QVERIFY(QDir(dir_->path()).mkpath("work"));
        const QString entry = writeEntry(
            "demo.desktop", "[Desktop Entry]\nType=Application\nName=Demo App\nExec=\"" +
                                app.path().toUtf8() +
                                "\" --title=%c %U \"two words\" 100%% %i\nIcon=demo-icon\n"
                                "Path=" +
                                dir_->filePath("work").toUtf8() + "\n");

        QVERIFY(LinuxWorkspace(options()).open(QUrl::fromLocalFile(entry)));

        QTRY_VERIFY(app.ran());
        QCOMPARE(app.arguments(),
                 (QStringList{"--title=Demo App", "two words", "100%", "--icon", "demo-icon"}));
        QCOMPARE(QFileInfo(app.workingDir()).canonicalFilePath(),
                 QFileInfo(dir_->filePath("work")).canonicalFilePath());
        QVERIFY2(!opener_->ran(), "a desktop entry must never be handed to the opener");
    }

    void terminalEntryRunsInTerminalFromHome() {
        RecordingScript terminal(dir_->filePath("bin"), "terminal");
        const QString entry = writeEntry("top.desktop", "[Desktop Entry]\nType=Application\n"
                                                        "Exec=htop --tree %F\nTerminal=true\n"
                                                        "Path=/nonexistent/folder\n");
        LinuxWorkspaceOptions options = this->options();
        options.terminal = {terminal.path(), "-e"};

        QVERIFY(LinuxWorkspace(options).open(QUrl::fromLocalFile(entry)));

        QTRY_VERIFY(terminal.ran());
        QCOMPARE(terminal.arguments(), (QStringList{"-e", "htop", "--tree"}));
        // A missing working folder falls back to the home folder.
        QCOMPARE(QFileInfo(terminal.workingDir()).canonicalFilePath(),
                 QFileInfo(QDir::homePath()).canonicalFilePath());
    }

    void unlaunchableEntries_data() {
        QTest::addColumn<QByteArray>("content");
        const auto row = [](const char* name, const char* content) {
            QTest::newRow(name) << QByteArray(content);
        };
        row("malformed Exec", "[Desktop Entry]\nExec=\"demo\n");
        row("program missing", "[Desktop Entry]\nType=Application\nExec=/nonexistent/demo\n");
        row("directory entry", "[Desktop Entry]\nType=Directory\nExec=/bin/true\n");
        row("not a desktop entry", "just some text\n");
        row("no terminal", "[Desktop Entry]\nType=Application\nExec=/bin/true\nTerminal=true\n");
    }

    void unlaunchableEntries() {
        QFETCH(QByteArray, content);
        LinuxWorkspaceOptions options = this->options();
        options.terminal = {dir_->filePath("no-such-terminal"), "-e"};

        // False, and in particular not opened as a text file through the opener.
        QVERIFY(!LinuxWorkspace(options).open(
            QUrl::fromLocalFile(writeEntry("broken.desktop", content))));
    }

    void opensThroughOpener_data() {
        QTest::addColumn<QString>("target"); // a leading "@" stands for the temporary folder
        QTest::addColumn<QString>("expectedArgument");
        const auto row = [](const char* target, const char* expected) {
            QTest::newRow(target) << QString(target) << QString(expected);
        };
        row("https://example.org/a b?q=1", "https://example.org/a%20b?q=1");
        row("@/notes #1.txt", "@/notes #1.txt");
        row("@/odd.desktop", "@/odd.desktop"); // a folder, whatever its name
        row("@/site.desktop", "https://example.org/docs");
    }

    void opensThroughOpener() {
        QFETCH(QString, target);
        QFETCH(QString, expectedArgument);
        QVERIFY(writeFile(dir_->filePath("notes #1.txt"), "hello"));
        QVERIFY(QDir(dir_->path()).mkpath("odd.desktop"));
        writeEntry("site.desktop", "[Desktop Entry]\nType=Link\nURL=https://example.org/docs\n");
        const auto resolve = [&](const QString& s) {
            return s.startsWith(u'@') ? dir_->path() + s.mid(1) : s;
        };
        const QUrl url =
            target.startsWith(u'@') ? QUrl::fromLocalFile(resolve(target)) : QUrl(target);

        QVERIFY(LinuxWorkspace(options()).open(url));

        QTRY_VERIFY(opener_->ran());
        QCOMPARE(opener_->arguments(), QStringList{resolve(expectedArgument)});
    }

    void namesThatAreNotUtf8OpenTheRightFile() {
        // Latin-1 names: the same text to a UTF-8 decoder, different files.
        QStringList paths;
        for (const char* name : {"caf\xe9.txt", "caf\xe8.txt"}) {
            const QByteArray native = QFile::encodeName(dir_->path()) + '/' + name;
            const int fd = ::open(native.constData(), O_CREAT | O_WRONLY, 0600);
            QVERIFY(fd >= 0);
            ::close(fd);
            paths.append(decodedPath(native));
            QCOMPARE(encodedPath(paths.last()), native);
        }
        QVERIFY(paths[0] != paths[1]);
        QVERIFY(LinuxWorkspace(options()).open(QUrl::fromLocalFile(paths[1])));
        QTRY_VERIFY(opener_->ran());
        const QString argument = opener_->arguments().value(0);
        QVERIFY2(argument.startsWith("file://"), qPrintable(argument));
        QCOMPARE(QByteArray::fromPercentEncoding(argument.mid(7).toLatin1()),
                 encodedPath(paths[1]));
    }

    void refusesWhatCannotBeOpened() {
        QVERIFY(
            !LinuxWorkspace(options()).open(QUrl::fromLocalFile(dir_->filePath("missing.txt"))));
        LinuxWorkspaceOptions missing = options();
        missing.opener = dir_->filePath("no-such-opener");
        QVERIFY(!LinuxWorkspace(missing).open(QUrl("https://example.org")));
    }

    void revealAsksFileManagerWhileOneAnswers() {
        if (!startPrivateBus())
            QSKIP("dbus-daemon is not available");
        QDBusConnection fmBus = QDBusConnection::connectToBus(busAddress_, "trovi-test-fm");
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
        QCOMPARE(workspace.pendingReveals(), 1);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(finished.at(0), (QVariantList{item, true}));
        QCOMPARE(fileManager.shownItems,
                 QList<QStringList>{{QUrl::fromLocalFile(item).toString(QUrl::FullyEncoded)}});
        QCOMPARE(workspace.pendingReveals(), 0);
        QVERIFY(!opener_->ran());

        // Once no file manager answers, the parent folder opens instead.
        QVERIFY(fmBus.unregisterService("org.freedesktop.FileManager1"));
        workspace.reveal(item);
        QTRY_COMPARE(finished.size(), 2);
        QCOMPARE(finished.at(1), (QVariantList{item, false}));
        QTRY_VERIFY(opener_->ran());
        QCOMPARE(opener_->arguments(), QStringList{dir_->path()});
    }
};

QTEST_GUILESS_MAIN(TestLinuxWorkspace)
#include "tst_linuxworkspace.moc"
