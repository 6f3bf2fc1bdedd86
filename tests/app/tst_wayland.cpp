// The launcher under GNOME's own compositor (mutter, headless) as two real
// processes, seen through `trovi status --json`: shown focused, toggled by a
// second launch, hidden when another client takes focus; and the GNOME
// shortcut written through gsettings beside the person's own. Skipped without mutter.

#include "tests/support/MutterServer.h"
#include "tests/support/TroviHome.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

trovi::test::MutterServer* mutter = nullptr;

class Home : public trovi::test::TroviHome {
public:
    Home() { run({"config", "set", "launcherPermissionsOnboardingCompleted", "true"}); }
    ~Home() {
        for (QProcess* p : launchers) {
            p->kill();
            p->waitForFinished();
            delete p;
        }
    }
    void start() {
        auto* process = new QProcess;
        process->setProcessEnvironment(environment(mutter->environment()));
        process->start(TROVI_EXECUTABLE, QStringList());
        process->waitForStarted();
        launchers.append(process);
    }
    trovi::test::TroviRun run(const QStringList& arguments, QStringList extra = {}) const {
        if (mutter)
            extra += mutter->environment();
        return TroviHome::run(arguments, extra);
    }
    QJsonObject status() const {
        return QJsonDocument::fromJson(run({"status", "--json"}).out).object();
    }
    // Waits until the window is shown and focused, or hidden.
    bool reaches(bool shown) const {
        return QTest::qWaitFor(
            [&] {
                const QJsonObject s = status();
                return s.value("visible").toBool() == shown && s.value("active").toBool() == shown;
            },
            60000);
    }
    QByteArray diagnosis() const {
        QByteArray text = "status: " + QJsonDocument(status()).toJson(QJsonDocument::Compact);
        for (QProcess* p : launchers)
            text += "\nlauncher stderr:\n" + p->readAllStandardError();
        return text;
    }
    QList<QProcess*> launchers;
};

#define REACHES(home, shown)                                                                       \
    do {                                                                                           \
        if (!(home).reaches(shown))                                                                \
            QFAIL((home).diagnosis().constData());                                                 \
    } while (false)

} // namespace

class WaylandTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shownFocusedToggledAndHiddenOnFocusLoss() {
        if (!mutter->skipReason().isEmpty())
            QSKIP(qPrintable(mutter->skipReason()));
        Home home;
        const auto none = home.run({"status", "--json"});
        QCOMPARE(none.exitCode, 0);
        QCOMPARE(none.out.trimmed(), QByteArray(R"({"running":false})"));

        home.start();
        REACHES(home, true);
        const QJsonObject shown = home.status();
        QCOMPARE(shown.value("screenWidth").toInt(), 1280);
        QVERIFY(shown.value("selected").isNull());

        QCOMPARE(home.run({}).exitCode, 0); // the desktop's shortcut runs plain `trovi`
        REACHES(home, false);
        QCOMPARE(home.run({}).exitCode, 0);
        REACHES(home, true);
        QCOMPARE(home.run({"--hide"}).exitCode, 0);
        REACHES(home, false);
        // Headless mutter focuses a newly shown window on its own and hands out
        // tokens only to its clients' input, so a token cannot be told apart
        // here: one the compositor does not know must not stop the window.
        qInfo("a real activation token is not tested: headless mutter focuses every newly "
              "shown window without one");
        QCOMPARE(home.run({"--show"}, {"XDG_ACTIVATION_TOKEN=unknown-to-mutter"}).exitCode, 0);
        REACHES(home, true);

        // Another client taking focus (a second user's launcher here) sends ours away.
        Home other;
        other.start();
        REACHES(other, true);
        REACHES(home, false);
    }

    void shortcutInstallKeepsThePersonsOwnBindings() {
        const QString schemas = "/usr/share/glib-2.0/schemas";
        if (!QFile::exists(schemas + "/org.gnome.settings-daemon.plugins.media-keys.gschema.xml"))
            QSKIP("GNOME's media-keys schema is not installed");
        Home home;
        const QStringList gnome{"XDG_CURRENT_DESKTOP=ubuntu:GNOME", "GSETTINGS_BACKEND=keyfile",
                                "GSETTINGS_SCHEMA_DIR=" + schemas};
        const QString list = "org.gnome.settings-daemon.plugins.media-keys";
        const QString own =
            "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";
        auto gsettings = [&](const QStringList& arguments) {
            QProcess process;
            process.setProcessEnvironment(home.environment(gnome));
            process.start("gsettings", arguments);
            process.waitForFinished(30000);
            return QString::fromUtf8(process.readAllStandardOutput().trimmed());
        };
        gsettings({"set", list, "custom-keybindings", "['" + own + "']"});
        gsettings({"set", list + ".custom-keybinding:" + own, "binding", "<Super>t"});
        QCOMPARE(home.run({"config", "set", "launcherHotKeyCode", "0"}).exitCode, 0); // A

        for (int i = 0; i < 2; ++i) // a second install changes nothing
            QCOMPARE(home.run({"shortcut", "install"}, gnome).exitCode, 0);
        const QString ours = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/"
                             "trovi-launcher/";
        QCOMPARE(gsettings({"get", list, "custom-keybindings"}), "['" + own + "', '" + ours + "']");
        QCOMPARE(gsettings({"get", list + ".custom-keybinding:" + ours, "binding"}),
                 QString("'<Control>a'"));
        QVERIFY(
            gsettings({"get", list + ".custom-keybinding:" + ours, "command"}).endsWith("/trovi'"));

        QCOMPARE(home.run({"shortcut", "remove"}, gnome).exitCode, 0);
        QCOMPARE(gsettings({"get", list, "custom-keybindings"}), "['" + own + "']");
        QCOMPARE(gsettings({"get", list + ".custom-keybinding:" + own, "binding"}),
                 QString("'<Super>t'"));
        QCOMPARE(gsettings({"get", list + ".custom-keybinding:" + ours, "binding"}), QString("''"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    trovi::test::MutterServer server;
    mutter = &server;
    WaylandTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_wayland.moc"
