// The local translation helper: our helper script run by a real Python with a
// stand-in Argos package, the client's framing against helpers that misbehave
// (slow, split, doubled, dying, garbage), and finding Python for it. Helper
// processes never outlive their use: stopping one ends everything it started,
// and killing the launcher outright ends the helper too.

#include "launcher/clients/translation/ArgosDaemon.h"
#include "launcher/clients/translation/ChildProcess.h"
#include "launcher/clients/translation/TranslationLookup.h"
#include "tests/support/ArgosStandIn.h"
#include "tests/support/Processes.h"

#include <QProcess>
#include <QtTest>

#include <csignal>
#include <iostream>
#include <thread>

using namespace trovi;
using trovi::test::hasEnded;

namespace {

const QString python = QStringLiteral("/usr/bin/python3");

// A helper that answers each request through BODY, with `i` (the request id)
// and `t` (its text) in scope.
QString standInHelper(const QString& body) {
    return QStringLiteral(R"PY(
import json, sys, time
def out(data):
    sys.stdout.buffer.write(data)
    sys.stdout.buffer.flush()
def ok(i, t):
    return (json.dumps({"id": i, "ok": True, "text": t}) + "\n").encode()
for raw in sys.stdin.buffer:
    request = json.loads(raw)
    i, t = request["id"], request["text"]
%1
)PY")
        .arg(QString(body).replace("\n", "\n    "));
}

qint64 readPid(ChildProcess& child) {
    QByteArray output;
    QDeadlineTimer deadline(60'000);
    while (!output.contains('\n') && !deadline.hasExpired())
        child.read(output, deadline);
    return output.trimmed().toLongLong();
}

// Run as a separate launcher: starts a helper that ignores its input and has
// a child of its own, from a thread that ends at once, prints both pids and
// waits to be killed.
int runLauncherThatIsKilled() {
    std::unique_ptr<ChildProcess> helper;
    std::thread([&helper] {
        helper = ChildProcess::start("/bin/sh", {"-c", "sleep 300 & echo $!; wait"}, {},
                                     ChildProcess::Streams::pipes);
    }).join();
    if (!helper)
        return 1;
    std::cout << helper->pid() << ' ' << readPid(*helper) << std::endl;
    for (;;)
        ::pause();
}

} // namespace

class TestArgosHelper : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stoppingEndsTheHelpersOwnChildren() {
        // The helper and its child both ignore SIGTERM.
        auto helper =
            ChildProcess::start("/bin/sh", {"-c", "trap '' TERM; sleep 300 & echo $!; wait"}, {},
                                ChildProcess::Streams::pipes);
        QVERIFY(helper);
        const qint64 grandchild = readPid(*helper);
        QVERIFY(grandchild > 0);
        QVERIFY(!hasEnded(grandchild));
        helper->terminate(QDeadlineTimer(200));
        QVERIFY(!helper->isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(hasEnded(grandchild), 30'000);
    }

    void killedLauncherTakesItsHelperAlong() {
        QProcess launcher;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TROVI_TEST_KILLED_LAUNCHER", "1");
        launcher.setProcessEnvironment(environment);
        launcher.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(launcher.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(launcher.canReadLine(), 60'000);
        const QList<QByteArray> pids = launcher.readLine().trimmed().split(' ');
        QCOMPARE(pids.size(), 2);
        const qint64 helper = pids[0].toLongLong(), grandchild = pids[1].toLongLong();
        QVERIFY(helper > 0 && grandchild > 0);
        QVERIFY(!hasEnded(helper) && !hasEnded(grandchild));
        ::kill(pid_t(launcher.processId()), SIGKILL);
        QVERIFY(launcher.waitForFinished());
        QTRY_VERIFY_WITH_TIMEOUT(hasEnded(helper), 30'000);
        QTRY_VERIFY_WITH_TIMEOUT(hasEnded(grandchild), 30'000);
    }

    void missingProgramStartsNothing() {
        QVERIFY(!ChildProcess::start("/nonexistent/program", {}, {}, ChildProcess::Streams::pipes));
    }

    void helperScriptReplies_data(); // below the class: moc cannot read its raw strings
    void helperScriptReplies() {
        QFETCH(bool, withArgos);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, reply);
        test::ArgosStandIn standIn;
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PYTHONPATH", withArgos ? standIn.path() : QString());
        process.setProcessEnvironment(environment);
        process.start(python, {"-u", "-c", ArgosDaemon::defaultScript()});
        QVERIFY(process.waitForStarted());
        process.write("\n  \n" + request + "\n"); // blank lines get no reply
        process.closeWriteChannel();
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.readAllStandardOutput(), reply + "\n");
    }

    void framing_data(); // below the class: moc cannot read its raw strings
    void framing() {
        QFETCH(QString, body);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, answers);
        QFETCH(int, starts);
        ArgosDaemon daemon(standInHelper(body));
        const QStringList environment = QProcessEnvironment::systemEnvironment().toStringList();
        for (qsizetype n = 0; n < texts.size(); ++n) {
            // The slow request is given up on long before its reply comes.
            const double timeout = texts[n] == "slow" ? 0.1 : ArgosDaemon::responseTimeoutSeconds;
            const auto response =
                daemon.exchange(python, environment, "en", "de", texts[n], timeout);
            const QString answer = response && response->ok ? response->text.value_or("?") : "-";
            QCOMPARE(answer, answers[n]);
        }
        QCOMPARE(daemon.startCount(), starts);
    }

    void localEngines() {
        test::ArgosStandIn standIn;
        qputenv("TROVI_TRANSLATION_PYTHON", python.toUtf8());
        qputenv("PYTHONPATH", standIn.path().toUtf8());
        // A finished translation is the command-line test's.
        LocalTranslationEngines engines;
        QVERIFY(!engines.translate(TranslationEngineID::argos, "x", "xx", "de"));
        QCOMPARE(engines.availability(TranslationEngineID::argos).message,
                 QString("Ready (python3)."));
    }

    // A module planted in the folder the launcher was started from must
    // never run: not in the helper, not in the availability check.
    void workingFolderIsNotOnModulePath() {
        QTemporaryDir planted;
        const QString marker = planted.filePath("ran");
        const QByteArray plant = "open(" + QByteArray("'") + marker.toUtf8() + "', 'w').close()\n";
        QDir(planted.path()).mkpath("argostranslate");
        for (const char* name : {"json.py", "argostranslate/__init__.py"}) {
            QFile file(planted.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(plant);
        }
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(planted.path()));
        test::ArgosStandIn standIn;
        qputenv("PYTHONPATH", standIn.path().toUtf8());
        ArgosDaemon daemon;
        const auto response =
            daemon.exchange(python, translation::processEnvironment(python), "en", "de", "hello");
        qputenv("PYTHONPATH", "");
        const auto status = translation::evaluateArgosRuntimeStatus(python);
        QDir::setCurrent(before);
        QVERIFY(response && response->ok);
        QCOMPARE(response->text, std::optional<QString>("[de] hello"));
        QCOMPARE(status, ArgosRuntimeStatus::moduleMissing);
        QVERIFY(!QFile::exists(marker));
    }

    // Where Python cannot import Argos, nothing stays running for it.
    void noHelperWithoutArgos() {
        qputenv("TROVI_TRANSLATION_PYTHON", python.toUtf8());
        qputenv("PYTHONPATH", "");
        LocalTranslationEngines engines;
        QVERIFY(!engines.translate(TranslationEngineID::argos, "hello", "en", "de"));
        engines.prewarm({TranslationEngineID::argos}, {});
        QVERIFY(!engines.availability(TranslationEngineID::argos).isAvailable);
        QCOMPARE(engines.daemon().startCount(), 0);
    }

    // Debian's pip is closed: the launcher's own virtual environment comes
    // after TROVI_TRANSLATION_PYTHON and before the system's python3.
    void virtualEnvironmentBeforeSystemPython() {
        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        const QString venvPython = data.filePath("trovi-launcher/argos/bin/python3");
        QDir().mkpath(QFileInfo(venvPython).path());
        QVERIFY(QFile::link(python, venvPython));
        qunsetenv("TROVI_TRANSLATION_PYTHON");
        test::ArgosStandIn standIn;
        qputenv("PYTHONPATH", standIn.path().toUtf8());
        const auto runtime = translation::findArgosRuntime();
        QCOMPARE(runtime.status, ArgosRuntimeStatus::ready);
        QCOMPARE(runtime.python, std::optional<QString>(venvPython));
        qputenv("TROVI_TRANSLATION_PYTHON", python.toUtf8());
        QCOMPARE(translation::findArgosRuntime().python, std::optional<QString>(python));
    }

    void pythonDiscovery() {
        QTemporaryDir home;
        qputenv("HOME", home.path().toUtf8());
        const QString site = home.filePath(".local/lib/python3.9/site-packages");
        QDir().mkpath(site);
        QFile notExecutable(home.filePath("python3.9"));
        QVERIFY(notExecutable.open(QIODevice::WriteOnly));
        notExecutable.close();

        qputenv("TROVI_TRANSLATION_PYTHON", notExecutable.fileName().toUtf8());
        QCOMPARE(translation::resolvedPythonExecutablePath(), std::optional<QString>(python));
        notExecutable.setPermissions(notExecutable.permissions() | QFile::ExeOwner);
        QCOMPARE(translation::resolvedPythonExecutablePath(),
                 std::optional<QString>(notExecutable.fileName()));

        qputenv("PYTHONPATH", "/old");
        const QStringList environment = translation::processEnvironment(notExecutable.fileName());
        QVERIFY(environment.contains("PYTHONPATH=" + site + ":/old"));
        QVERIFY(environment.contains("PYTHONNOUSERSITE=0"));
        QCOMPARE(translation::evaluateArgosRuntimeStatus(std::nullopt),
                 ArgosRuntimeStatus::pythonMissing);
    }
};

// The client reads only "ok" and "text"; the error names are for people reading logs.
void TestArgosHelper::helperScriptReplies_data() {
    QTest::addColumn<bool>("withArgos");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const auto row = [](const char* name, bool argos, const char* request, const char* reply) {
        QTest::newRow(name) << argos << QByteArray(request) << QByteArray(reply);
    };
    row("translation, UTF-8 unescaped, id echoed", true,
        R"({"id": 7, "source": "en", "target": "de", "text": "Straße"})",
        R"({"ok": true, "text": "[de] Straße", "id": 7})");
    row("bad_json", true, "{nope", R"({"ok": false, "error": "bad_json"})");
    row("module_missing", false, R"({"id": 3, "source": "en", "target": "de", "text": "x"})",
        R"({"ok": false, "error": "module_missing", "id": 3})");
    row("pair_not_installed", true, R"({"id": 5, "source": "fr", "target": "de", "text": "x"})",
        R"({"ok": false, "error": "pair_not_installed", "id": 5})");
    row("empty_translation", true, R"({"id": 8, "source": "en", "target": "de", "text": "blank"})",
        R"({"ok": false, "error": "empty_translation", "id": 8})");
}

void TestArgosHelper::framing_data() {
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QStringList>("answers"); // "-" for no answer
    QTest::addColumn<int>("starts");
    QTest::addRow("reply split across reads")
        << R"(
b = ok(i, t)
out(b[:5]); time.sleep(0.05); out(b[5:12]); time.sleep(0.05); out(b[12:]))"
        << QStringList{"a", "b"} << QStringList{"a", "b"} << 1;
    QTest::addRow("two replies in one read, one per request")
        << R"(
if i == 1:
    out(ok(1, "first") + ok(2, "second")))"
        << QStringList{"a", "b"} << QStringList{"first", "second"} << 1;
    QTest::addRow("CRLF line ending") << R"(
out(ok(i, t).replace(b"\n", b"\r\n")))"
                                      << QStringList{"a"} << QStringList{"a"} << 1;
    QTest::addRow("late reply is not taken for the next request: helper replaced") << R"(
if t == "slow":
    time.sleep(0.4)
out(ok(i, "reply to " + t)))" << QStringList{"slow", "b"} << QStringList{"-", "reply to b"}
                                                                                   << 2;
    QTest::addRow("endless line is cut off, helper replaced") << R"(
if t == "flood":
    out(b"x" * 8_000_000)
out(ok(i, t)))" << QStringList{"flood", "b"} << QStringList{"-", "b"}
                                                              << 2;
    QTest::addRow("repeated reply is dropped") << R"(
out(ok(i, t)); out(ok(i, t)))" << QStringList{"a", "b"}
                                               << QStringList{"a", "b"} << 1;
    QTest::addRow("dead helper is replaced") << R"(
if t == "exit":
    sys.exit(0)
out(ok(i, t)))" << QStringList{"exit", "b"} << QStringList{"-", "b"}
                                             << 2;
    QTest::addRow("garbage gives nothing, helper kept")
        << R"(
out(b"this is not json\n" if t == "junk" else ok(i, t)))"
        << QStringList{"junk", "b"} << QStringList{"-", "b"} << 1;
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("TROVI_TEST_KILLED_LAUNCHER"))
        return runLauncherThatIsKilled();
    QCoreApplication app(argc, argv);
    TestArgosHelper test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_argoshelper.moc"
