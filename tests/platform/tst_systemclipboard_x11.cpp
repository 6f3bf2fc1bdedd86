// Copying on a real X server: the text must be readable by another process,
// which is the whole point of copying a calculator value or a translation.
// Runs against a private Xvfb and is skipped where Xvfb is not installed.

#include "launcher/platform/linux/SystemClipboard.h"
#include "tests/support/XvfbServer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <cstdio>
#include <cstring>

using namespace trovi;

namespace {
QString skipReason;
} // namespace

class TestX11Clipboard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (!skipReason.isEmpty())
            QSKIP(qPrintable(skipReason));
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    }

    void anotherProcessReadsTheCopiedText() {
        const QString text = QStringLiteral("Grüße, 42 × 3 = 126");
        QVERIFY(SystemClipboard().setText(text));

        // The reader asks this process for the data, so our event loop must
        // keep running while it does: wait with QTRY, never block.
        QProcess reader;
        QSignalSpy finished(&reader, &QProcess::finished);
        reader.start(QCoreApplication::applicationFilePath(), {"--print-clipboard"});
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 20000);
        QCOMPARE(reader.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()), text);
    }

    // A copy made by `trovi query`/`trovi open` outlives the command in a
    // small server process, which must leave once another program copies.
    void clipboardServerLeavesWhenSomeoneElseCopies() {
        const QString text = QStringLiteral("6 × 7 = 42");
        QProcess server;
        server.start(TROVI_EXECUTABLE, {"--serve-clipboard", text});
        QVERIFY(server.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(QGuiApplication::clipboard()->text(), text, 30000);
        QCOMPARE(server.state(), QProcess::Running);

        // Another process, as a person's copy would be: this one's last X
        // timestamp may predate the server's and the X server would ignore it.
        QCOMPARE(QProcess::execute(QCoreApplication::applicationFilePath(),
                                   {"--copy", "someone else's"}),
                 0);
        QTRY_COMPARE_WITH_TIMEOUT(server.state(), QProcess::NotRunning, 30000);
        QCOMPARE(server.exitCode(), 0);
    }
};

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--print-clipboard") == 0) {
        QGuiApplication app(argc, argv);
        std::fputs(QGuiApplication::clipboard()->text().toUtf8().constData(), stdout);
        return 0;
    }
    if (argc > 2 && std::strcmp(argv[1], "--copy") == 0) {
        QGuiApplication app(argc, argv);
        return SystemClipboard().setText(QString::fromUtf8(argv[2])) ? 0 : 1;
    }

    trovi::test::XvfbServer xvfb;
    skipReason = xvfb.skipReason();
    if (skipReason.isEmpty()) {
        qputenv("DISPLAY", xvfb.display().toLatin1());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QGuiApplication app(argc, argv);
    TestX11Clipboard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_systemclipboard_x11.moc"
