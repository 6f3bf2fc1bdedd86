// Second launches as real `trovi` processes, handing their request to a
// launcher played by this test (the lock and the socket held here), so every
// request can be counted: concurrent launches keep their own intent, a launch
// waits for a launcher that is still starting, gives up loudly when nobody
// answers, and refuses a lock folder or file that is not safely the user's.
// `trovi query` and `trovi open` are answered by a running launcher exactly as
// a standalone run answers them, and fall back to running here when its answer
// is refused or never comes. The launcher's socket outlives misbehaving peers
// and stays inside a lock folder whose path is too long for a socket address.

#include "app/frontend/FastCommand.h"
#include "launcher/platform/linux/InstanceRequestClient.h"
#include "launcher/platform/linux/SingleInstance.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/Files.h"
#include "tests/support/TroviHome.h"

#include <QProcess>
#include <QtConcurrent/QtConcurrentRun>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace trovi;

namespace {

class Home : public test::TroviHome {
public:
    // What the `trovi` children compute from this home.
    SingleInstanceConfiguration configuration() const {
        SingleInstanceConfiguration configuration;
        configuration.directory = path() + "/.local/share";
        return configuration;
    }
    QString lockFolder() const { return configuration().lockDirectory(); }

    // A launch from the desktop; should it ever become the launcher, it runs
    // offscreen rather than failing for want of a display.
    QProcess* launch(const QStringList& arguments) {
        auto* process = new QProcess;
        process->setProcessEnvironment(environment({"DISPLAY=:97", "QT_QPA_PLATFORM=offscreen"}));
        process->start(TROVI_EXECUTABLE, arguments);
        m_processes.emplace_back(process);
        return process;
    }
    test::TroviRun runLaunch(const QStringList& arguments) const {
        return run(arguments, {"DISPLAY=:97", "QT_QPA_PLATFORM=offscreen"});
    }

    ~Home() {
        for (auto& process : m_processes)
            if (process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished();
            }
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// The launcher's side, held by the test: the lock at once, the socket on demand.
struct Launcher {
    std::unique_ptr<SingleInstanceController> controller;
    QList<QList<DuplicateLaunchRequest>> deliveries;

    explicit Launcher(const SingleInstanceConfiguration& configuration) {
        auto started = SingleInstanceController::start(configuration, {});
        if (auto* run = std::get_if<SingleInstanceController::Run>(&started))
            controller = std::move(run->controller);
    }
    bool listen(SingleInstanceController::CommandHandler commands = {}) {
        QString error;
        if (!controller || !controller->listen(&error)) {
            qWarning("cannot listen: %s", qPrintable(error));
            return false;
        }
        controller->setDuplicateLaunchHandler(
            [this](const QList<DuplicateLaunchRequest>& requests) { deliveries.append(requests); });
        controller->setCommandHandler(std::move(commands));
        return true;
    }
};

bool finished(const QList<QProcess*>& processes) {
    return std::all_of(processes.cbegin(), processes.cend(),
                       [](QProcess* p) { return p->state() == QProcess::NotRunning; });
}

QByteArray stderrOf(const QList<QProcess*>& processes) {
    QByteArray all;
    for (QProcess* p : processes)
        all += p->readAllStandardError();
    return all;
}

sockaddr_un socketAddress(const SingleInstanceConfiguration& configuration) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path =
        QFile::encodeName(configuration.lockDirectory() + u'/' + configuration.socketName());
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return address;
}

int connectTo(const SingleInstanceConfiguration& configuration) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = socketAddress(configuration);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

SingleInstanceConfiguration configurationIn(const QString& directory) {
    SingleInstanceConfiguration configuration;
    configuration.directory = directory;
    configuration.handOverTimeout = std::chrono::seconds(30);
    return configuration;
}

// A second launch asking for `argument`, sent from another thread so that this
// thread's event loop can serve it.
QFuture<InstanceDelivery> launchWith(const SingleInstanceConfiguration& configuration,
                                     const QString& argument) {
    DuplicateLaunchRequest request;
    request.arguments = QStringList{argument};
    request.createdAt = QDateTime::currentDateTimeUtc();
    return QtConcurrent::run([configuration, request] {
        return deliverInstanceRequest(configuration.lockDirectory(), configuration.socketName(),
                                      encodeInstanceRequest(request), QDeadlineTimer(60000));
    });
}

// True once the server has closed the connection (the peer reads end of file
// or a reset), without waiting on the socket.
bool closedByServer(int fd) {
    char byte;
    const ssize_t count = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    return count == 0 || (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

enum class Misbehaviour { silentBeyondTheCap, lineWithoutEnd, outOfDescriptors };

} // namespace

class TestSecondLaunch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void concurrentLaunchesEachKeepTheirIntent() {
        Home home;
        Launcher launcher(home.configuration());
        QVERIFY(launcher.listen());

        QList<QProcess*> launches;
        for (int i = 0; i < 5; ++i)
            launches << home.launch({"--show"}) << home.launch({"--hide"}) << home.launch({});
        QVERIFY2(QTest::qWaitFor([&] { return finished(launches); }, 240000),
                 stderrOf(launches).constData());
        for (QProcess* p : std::as_const(launches))
            QVERIFY2(p->exitCode() == 0, stderrOf(launches).constData());
        QTRY_COMPARE_WITH_TIMEOUT(launcher.deliveries.size(), launches.size(), 30000);

        QMap<QString, int> intents;
        for (const auto& delivery : std::as_const(launcher.deliveries)) {
            QCOMPARE(delivery.size(), 1); // never another launch's request
            ++intents[delivery.first().arguments.join(' ')];
        }
        const QMap<QString, int> expected{{"--show", 5}, {"--hide", 5}, {"", 5}};
        QCOMPARE(intents, expected);
    }

    void aLaunchWaitsForALauncherStillStarting() {
        Home home;
        Launcher launcher(home.configuration()); // locked, not yet listening
        QVERIFY(launcher.controller);
        // Each try of the waiting launch opens the lock file again.
        const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(::inotify_add_watch(watch, QFile::encodeName(home.lockFolder()).constData(),
                                    IN_OPEN) >= 0);
        int opens = 0;
        auto countOpens = [&] {
            alignas(inotify_event) char buffer[4096];
            ssize_t count;
            while ((count = ::read(watch, buffer, sizeof buffer)) > 0)
                for (char* at = buffer; at < buffer + count;) {
                    auto* event = reinterpret_cast<inotify_event*>(at);
                    opens += event->len > 0 && qstrcmp(event->name, "TroviLauncher.lock") == 0;
                    at += sizeof(inotify_event) + event->len;
                }
            return opens;
        };

        QProcess* late = home.launch({"--settings"});
        // Far past one second of trying, the launch is still waiting.
        QVERIFY2(QTest::qWaitFor([&] { return countOpens() >= 48; }, 60000),
                 late->readAllStandardError().constData());
        ::close(watch);
        QCOMPARE(late->state(), QProcess::Running);

        QVERIFY(launcher.listen());
        QVERIFY2(QTest::qWaitFor([&] { return finished({late}); }, 60000),
                 late->readAllStandardError().constData());
        QCOMPARE(late->exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(launcher.deliveries.size(), 1, 30000);
        QCOMPARE(launcher.deliveries.first().first().arguments, QStringList{"--settings"});
    }

    void aLaunchNobodyTakesFailsLoudlyAndIsNeverReplayed() {
        Home home;
        Launcher launcher(home.configuration());
        QVERIFY(launcher.controller);
        // A socket whose backlog is full and that never accepts: the state a
        // flood of concurrent launches leaves behind.
        const int stuck = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address = socketAddress(home.configuration());
        QCOMPARE(::bind(stuck, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        QCOMPARE(::listen(stuck, 0), 0);
        QList<int> fillers;
        for (int i = 0; i < 4; ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
            fillers << fd;
        }

        const test::TroviRun lost = home.runLaunch({"--show"});
        QVERIFY2(lost.exitCode != 0, lost.err.constData());
        QVERIFY2(lost.err.contains("did not reach the running launcher"), lost.err.constData());
        // No Qt socket object is made before the application exists.
        QVERIFY2(!lost.err.contains("QSocketNotifier") && !lost.err.contains("QThread"),
                 lost.err.constData());

        for (int fd : std::as_const(fillers))
            ::close(fd);
        ::close(stuck);
        QVERIFY(launcher.listen());
        const test::TroviRun toggle = home.runLaunch({});
        QVERIFY2(toggle.exitCode == 0, toggle.err.constData());
        QTRY_COMPARE_WITH_TIMEOUT(launcher.deliveries.size(), 1, 30000);
        QCOMPARE(launcher.deliveries.first().size(), 1);
        QVERIFY(launcher.deliveries.first().first().arguments.isEmpty()); // not the lost --show
    }

    void aRunningLauncherAnswersTheCommandLine() {
        Home home;
        home.mkdir("projects/notes");
        home.mkdir("notes archive");
        QCOMPARE(
            home.run({"config", "set", "launcherPermissionsOnboardingCompleted", "true"}).exitCode,
            0);
        QProcess* launcher = home.launch({"--hide"});
        // Asked from a home with no such folders, only the launcher can find them.
        const QStringList elsewhere{"HOME=" + home.mkdir("elsewhere")};
        const QList<QStringList> commands{
            {"query", "--json", "notes"}, {"query", "notes"}, {"open", "--dry-run", "archive"}};
        for (const QStringList& command : commands) {
            const test::TroviRun standalone = home.run(command + QStringList{"--standalone"});
            QVERIFY2(standalone.out.contains("notes"), standalone.err.constData());
            // Asked again while the launcher is still filling its catalogues.
            QTRY_COMPARE_WITH_TIMEOUT(home.run(command, elsewhere).out, standalone.out, 120000);
        }

        // A peer that leaves before its answer costs the launcher nothing.
        const int peer = connectTo(home.configuration());
        QVERIFY(peer >= 0);
        const QByteArray line = encodeInstanceRequest(InstanceCommand{"query", {"notes"}}) + '\n';
        QCOMPARE(::send(peer, line.constData(), size_t(line.size()), MSG_NOSIGNAL), line.size());
        ::close(peer);
        const test::TroviRun again = home.run({"query", "--json", "notes"}, elsewhere);
        QVERIFY2(again.out.contains("projects/notes") && again.err.isEmpty(),
                 again.err.constData());
        QCOMPARE(launcher->state(), QProcess::Running);
    }

    // The front end hands over only what it fully understands, in words the
    // launcher reads back unchanged; the rest goes to the full program.
    void theFrontEndHandsOverOnlyWhatItUnderstands_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("handedOver");
        QTest::newRow("query") << QStringList{"query", "--json", "--wait=2", "a \"b\" \\ c"}
                               << true;
        QTest::newRow("open") << QStringList{"open", "--index", "2", "--dry-run", "--", "--x"}
                              << true;
        QTest::newRow("unicode and controls")
            << QStringList{"query", "caf\u00e9 \U0001F600", QString("tab\there\x01")} << true;
        QTest::newRow("standalone") << QStringList{"query", "--standalone", "x"} << false;
        QTest::newRow("help") << QStringList{"open", "--help"} << false;
        QTest::newRow("bad wait") << QStringList{"query", "--wait", "soon", "x"} << false;
        QTest::newRow("wait past an hour") << QStringList{"query", "--wait=3601", "x"} << false;
        QTest::newRow("open waits longer") << QStringList{"open", "--wait=7200", "x"} << true;
        QTest::newRow("index not a number") << QStringList{"open", "--index", "-1", "x"} << false;
        QTest::newRow("wait not plainly a number")
            << QStringList{"query", "--wait=0x10", "x"} << false;
        QTest::newRow("json is not open's") << QStringList{"open", "--json", "x"} << false;
        QTest::newRow("no text") << QStringList{"query", "--json"} << false;
        QTest::newRow("index without value") << QStringList{"open", "x", "--index"} << false;
        QTest::newRow("launch") << QStringList{"--show"} << false;
    }

    void theFrontEndHandsOverOnlyWhatItUnderstands() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, handedOver);
        std::vector<std::string> words;
        for (const QString& argument : arguments)
            words.push_back(argument.toStdString());
        const auto command = frontend::fastCommand(words);
        QCOMPARE(command.has_value(), handedOver);
        if (!command)
            return;
        const auto parsed =
            parseInstanceRequest(QByteArray::fromStdString(frontend::encodeRequest(*command)));
        QCOMPARE(std::get<InstanceRequest>(parsed),
                 InstanceRequest(InstanceCommand{arguments.first(), arguments.mid(1)}));
        // Not UTF-8: the full program decodes it as the local encoding.
        words.back() += "\xff";
        QVERIFY(!frontend::fastCommand(words));
    }

    // A second launch from the front end reads back as the full program's, and
    // a launcher that has since been told to allow others turns it away, so
    // the launch starts its own as the full program would.
    void launchesHandedOverAsTheFullProgramWould() {
        const auto now = std::chrono::system_clock::now();
        const auto toggle = frontend::launchRequest({}, "token \"1\"", now);
        QVERIFY(toggle);
        const auto parsed = parseInstanceRequest(QByteArray::fromStdString(*toggle));
        const auto& request = std::get<DuplicateLaunchRequest>(std::get<InstanceRequest>(parsed));
        QCOMPARE(request.arguments, QStringList());
        QCOMPARE(request.activationToken, "token \"1\"");
        QVERIFY(qAbs(request.createdAt.msecsTo(QDateTime::currentDateTimeUtc())) < 60000);
        QVERIFY(frontend::launchRequest({"--settings"}, "", now));
        QVERIFY(!frontend::launchRequest({"--show", "x"}, "", now));
        QVERIFY(!frontend::launchRequest({"--version"}, "", now));

        Home home;
        InMemoryPreferenceStore preferences;
        SingleInstanceConfiguration configuration = home.configuration();
        configuration.defaults = &preferences;
        configuration.allowMultipleInstancesKey = QStringLiteral("allowMultipleInstances");
        Launcher launcher(configuration);
        QVERIFY(launcher.listen());
        // Served by this thread's event loop while the launch waits on another.
        const auto deliver = [&] {
            QFuture<InstanceDelivery> delivery = launchWith(configuration, "--show");
            return QTest::qWaitFor([&] { return delivery.isFinished(); }, 60000)
                       ? delivery.result()
                       : InstanceDelivery{InstanceDelivery::Outcome::noAnswer, "still waiting"};
        };
        QCOMPARE(deliver().outcome, InstanceDelivery::Outcome::delivered);
        preferences.setBool(configuration.allowMultipleInstancesKey, true);
        const InstanceDelivery refused = deliver();
        QCOMPARE(refused.outcome, InstanceDelivery::Outcome::refused);
        QVERIFY2(refused.message.contains("multiple-instances-allowed"),
                 qPrintable(refused.message));
    }

    // A launcher whose answer is refused or never comes: a query is answered
    // here instead, an open that may have happened is not repeated.
    void anAnswerThatCannotBeTakenIsNotPrinted_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("err");
        QTest::addRow("query answer too large")
            << QStringList{"query", "--json", "notes"} << true << 0 << "answer-too-large";
        QTest::addRow("open answer too large")
            << QStringList{"open", "--dry-run", "notes"} << true << 1 << "not repeated";
        QTest::addRow("query never answered")
            << QStringList{"query", "--no-wait", "notes"} << false << 0 << "in time";
    }
    void anAnswerThatCannotBeTakenIsNotPrinted() {
        QFETCH(QStringList, command);
        QFETCH(bool, answers);
        QFETCH(int, exitCode);
        QFETCH(QString, err);
        Home home;
        home.mkdir("notes");
        Launcher launcher(home.configuration());
        QList<SingleInstanceController::CommandDone> unanswered;
        QVERIFY(launcher.listen([&](const InstanceCommand&, auto done) {
            if (answers)
                done(InstanceCommandOutput{0, QByteArray(kMaximumInstanceAnswer, 'x'), {}});
            else
                unanswered.append(done);
        }));
        const test::TroviRun run = home.run(command);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(err.toUtf8()), run.err.constData());
        QVERIFY(!run.out.contains("xxxx"));
        if (exitCode == 0)
            QCOMPARE(run.out, home.run(command + QStringList{"--standalone"}).out);
    }

    void anUnsafeLockPlaceStopsTheLaunch_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::addRow("lock file links elsewhere") << "link-file"
                                                   << "symbolic link";
        QTest::addRow("lock folder is a link") << "link-folder"
                                               << "not a folder but a link";
        QTest::addRow("lock folder of another user") << "foreign-folder"
                                                     << "another user";
    }
    void anUnsafeLockPlaceStopsTheLaunch() {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        Home home;
        const QString folder = home.lockFolder();
        const QString victim = home.path() + "/victim";
        QVERIFY(test::writeFile(victim, "keep me\n"));
        if (setup == "link-file") {
            QVERIFY(QDir().mkpath(folder));
            QVERIFY(QFile::link(victim, folder + "/TroviLauncher.lock"));
        } else if (setup == "link-folder") {
            QVERIFY(QDir().mkpath(home.path() + "/elsewhere"));
            QVERIFY(QDir().mkpath(home.path() + "/.local/share"));
            QVERIFY(QFile::link(home.path() + "/elsewhere", folder));
        } else {
            if (::geteuid() != 0)
                QSKIP("giving a folder to another user needs root");
            QVERIFY(QDir().mkpath(folder));
            QCOMPARE(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
        }

        const test::TroviRun launch = home.runLaunch({"--show"});
        QVERIFY2(launch.exitCode != 0, launch.err.constData());
        QVERIFY2(launch.err.contains("failed to acquire the single-instance lock") &&
                     launch.err.contains(message.toUtf8()),
                 launch.err.constData());
        QCOMPARE(test::readFile(victim), QByteArray("keep me\n"));
    }

    void misbehavingPeersLoseTheirPlaceNotTheServer_data() {
        QTest::addColumn<Misbehaviour>("misbehaviour");
        QTest::addRow("silent peers beyond the cap") << Misbehaviour::silentBeyondTheCap;
        QTest::addRow("400 KB without a line feed") << Misbehaviour::lineWithoutEnd;
        QTest::addRow("accept runs out of descriptors") << Misbehaviour::outOfDescriptors;
    }
    void misbehavingPeersLoseTheirPlaceNotTheServer() {
        QFETCH(Misbehaviour, misbehaviour);
        QTemporaryDir dir;
        SingleInstanceConfiguration configuration = configurationIn(dir.path());
        configuration.serverLimits.maximumClients = 4;
        // Only silent peers should meet the idle limit.
        configuration.serverLimits.clientIdleTimeout =
            misbehaviour == Misbehaviour::silentBeyondTheCap ? std::chrono::milliseconds(300)
                                                             : std::chrono::minutes(10);
        Launcher launcher(configuration);
        QVERIFY(launcher.listen());

        QList<int> peers;
        if (misbehaviour == Misbehaviour::silentBeyondTheCap) {
            for (int i = 0; i < 12; ++i)
                peers.append(connectTo(configuration));
        } else if (misbehaviour == Misbehaviour::lineWithoutEnd) {
            const int fd = connectTo(configuration);
            peers.append(fd);
            const QByteArray chunk(64 * 1024, 'x');
            ::fcntl(fd, F_SETFL, O_NONBLOCK);
            int sent = 0;
            QTRY_VERIFY_WITH_TIMEOUT(
                [&] {
                    if (sent < 400 * 1024 &&
                        ::send(fd, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL) > 0)
                        sent += int(chunk.size());
                    return closedByServer(fd);
                }(),
                30000);
        } else {
            // Peers wait in the backlog, then descriptors run out before the
            // server accepts them.
            for (int i = 0; i < 3; ++i)
                peers.append(connectTo(configuration));
            rlimit saved{};
            ::getrlimit(RLIMIT_NOFILE, &saved);
            const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            ::close(probe);
            rlimit tight = saved;
            tight.rlim_cur = rlim_t(probe); // the next descriptor is refused
            QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
            const bool turnedAway = QTest::qWaitFor(
                [&] { return std::all_of(peers.cbegin(), peers.cend(), closedByServer); }, 30000);
            ::setrlimit(RLIMIT_NOFILE, &saved);
            QVERIFY(turnedAway);
        }
        for (int fd : std::as_const(peers))
            QVERIFY(fd >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(peers.cbegin(), peers.cend(), closedByServer), 30000);
        for (int fd : std::as_const(peers))
            ::close(fd);

        // The server is still there for a well-behaved launch.
        auto delivery = launchWith(configuration, "--show");
        QTRY_VERIFY_WITH_TIMEOUT(delivery.isFinished(), 60000);
        QCOMPARE(delivery.result().outcome, InstanceDelivery::Outcome::delivered);
        QTRY_COMPARE_WITH_TIMEOUT(launcher.deliveries.size(), 1, 30000);
        QCOMPARE(launcher.deliveries.first().first().arguments, QStringList{"--show"});
    }

    void aLongFolderPathKeepsTheSocketInside() {
        QTemporaryDir dir;
        // Too long for a socket address, so no plain path to it can be bound.
        const QString deep = dir.path() + "/" + QString(120, u'd');
        const SingleInstanceConfiguration configuration = configurationIn(deep);
        Launcher launcher(configuration);
        QVERIFY(launcher.listen());
        const QFileInfo socket(configuration.lockDirectory() + u'/' + configuration.socketName());
        QVERIFY(socket.exists());
        QCOMPARE(socket.ownerId(), ::geteuid());
        struct stat folder {};
        QCOMPARE(::stat(QFile::encodeName(configuration.lockDirectory()).constData(), &folder), 0);
        QCOMPARE(folder.st_mode & 0777, 0700u);

        auto delivery = launchWith(configuration, "--settings");
        QTRY_VERIFY_WITH_TIMEOUT(delivery.isFinished(), 60000);
        QCOMPARE(delivery.result().outcome, InstanceDelivery::Outcome::delivered);
        QTRY_COMPARE_WITH_TIMEOUT(launcher.deliveries.size(), 1, 30000);
    }
};

QTEST_GUILESS_MAIN(TestSecondLaunch)
#include "tst_secondlaunch.moc"
