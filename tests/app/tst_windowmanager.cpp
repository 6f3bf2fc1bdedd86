// The launcher under a real window manager (openbox) and on a screen that
// changes size (Xvnc + xrandr): dragging an edge resizes without hiding the
// window, with or without a manager; a screen that shrinks pulls the window
// back into view without storing that forced place. Skipped without the
// servers.

#include "tests/support/TroviHome.h"
#include "tests/support/XvfbServer.h"

#include <QProcess>
#include <QRect>
#include <QtTest>

using trovi::test::XvfbServer;

namespace {

class Launcher : public trovi::test::TroviHome {
public:
    explicit Launcher(const XvfbServer& x) : m_x(x) {
        run({"config", "set", "launcherPermissionsOnboardingCompleted", "true"});
    }
    ~Launcher() {
        m_process.kill();
        m_process.waitForFinished();
    }

    void start() {
        m_process.setProcessEnvironment(environment(x11()));
        m_process.start(TROVI_EXECUTABLE, QStringList{});
        m_process.waitForStarted();
    }
    trovi::test::TroviRun run(const QStringList& arguments) const {
        return TroviHome::run(arguments, x11());
    }
    QString stored(const QString& key) const {
        return QString::fromUtf8(run({"config", "get", key}).out.trimmed());
    }

    QString windowId() const {
        return QString::fromLatin1(
                   m_x.run("xdotool", {"search", "--onlyvisible", "--name", "^Trovi$"}).trimmed())
            .section(u'\n', 0, 0);
    }
    bool visible() const { return !windowId().isEmpty(); }
    // The window's place on the root window; empty when it is not shown.
    QRect geometry() const {
        const QString id = windowId();
        if (id.isEmpty())
            return {};
        QMap<QString, int> v;
        const QString shell =
            QString::fromLatin1(m_x.run("xdotool", {"getwindowgeometry", "--shell", id}));
        for (const QString& line : shell.split(u'\n'))
            v.insert(line.section(u'=', 0, 0), line.section(u'=', 1).toInt());
        return {v.value("X"), v.value("Y"), v.value("WIDTH"), v.value("HEIGHT")};
    }

    // What a failed wait needs to be understood.
    QByteArray diagnosis() {
        return "launcher stderr:\n" + m_process.readAllStandardError() + "\nwindow tree:\n" +
               m_x.run("xwininfo", {"-root", "-tree"});
    }

private:
    QStringList x11() const {
        return {"XDG_SESSION_TYPE=x11", "QT_QPA_PLATFORM=xcb", "DISPLAY=" + m_x.display()};
    }
    const XvfbServer& m_x;
    QProcess m_process;
};

#define WAIT_FOR(condition, launcher)                                                              \
    QVERIFY2(QTest::qWaitFor([&] { return (condition); }, 30000),                                  \
             (launcher).diagnosis().constData())

} // namespace

class WindowManagerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void draggingAnEdgeResizesAndKeepsTheWindow_data() {
        QTest::addColumn<bool>("windowManager");
        QTest::addRow("under openbox") << true;
        QTest::addRow("without a window manager") << false;
    }

    void draggingAnEdgeResizesAndKeepsTheWindow() {
        QFETCH(bool, windowManager);
        XvfbServer x(XvfbServer::Screen::fixed, windowManager);
        if (!x.skipReason().isEmpty())
            QSKIP(qPrintable(x.skipReason()));
        Launcher launcher(x);
        launcher.start();
        WAIT_FOR(launcher.visible(), launcher);
        const QRect before = launcher.geometry();
        QCOMPARE(before.width(), 600);
        // Hold the left edge as a person would (long enough for a focus loss
        // to hide the window), drag it about 100 pixels out, let go. A
        // manager starts from where the pointer is when it takes over.
        const int y = before.center().y();
        x.run("xdotool",
              {"mousemove", QString::number(before.left() + 3), QString::number(y), "mousedown",
               "1", "mousemove", QString::number(before.left() - 40), QString::number(y), "sleep",
               "1.5", "mousemove", QString::number(before.left() - 97), QString::number(y), "sleep",
               "0.3", "mouseup", "1"});
        WAIT_FOR(launcher.stored("launcherWindowWidth").toDouble() >= 640, launcher);
        if (!launcher.visible())
            QFAIL(launcher.diagnosis().constData());
        const QRect after = launcher.geometry();
        QVERIFY(after.width() >= 640);
        QVERIFY(std::abs(after.right() - before.right()) <= 2); // the other edge stays
    }

    void aShrinkingScreenPullsTheWindowBack() {
        XvfbServer x(XvfbServer::Screen::resizable, true);
        if (!x.skipReason().isEmpty())
            QSKIP(qPrintable(x.skipReason()));
        if (QStandardPaths::findExecutable("xrandr").isEmpty())
            QSKIP("xrandr is not installed");
        Launcher launcher(x);
        launcher.run({"config", "set", "launcherWindowX", "650"});
        launcher.run({"config", "set", "launcherWindowTopY", "300"});
        launcher.start();
        WAIT_FOR(launcher.geometry().topLeft() == QPoint(650, 300), launcher);

        x.run("xrandr", {"-s", "800x600"});
        WAIT_FOR(QRect(0, 0, 800, 600).contains(launcher.geometry()), launcher);
        // That place was forced, not chosen: the stored one stays.
        QCOMPARE(launcher.stored("launcherWindowX"), QStringLiteral("650"));
        QCOMPARE(launcher.stored("launcherWindowTopY"), QStringLiteral("300"));
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) {
        std::fprintf(stderr, "xdotool is not installed\n");
        return 0;
    }
    WindowManagerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_windowmanager.moc"
