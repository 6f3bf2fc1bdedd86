// The system clipboard refuses honestly where no other application could read
// what it copied: without a GUI application and on the offscreen platform.

#include "launcher/platform/linux/SystemClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

using namespace trovi;

namespace {
// Answers gathered in main() before the GUI application exists.
bool answerWithoutApplication = true;
bool answerWithCoreApplication = true;
} // namespace

class TestSystemClipboard : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusesWithoutAReadableClipboard() {
        QVERIFY(!answerWithoutApplication);
        QVERIFY(!answerWithCoreApplication);
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
        QVERIFY(!SystemClipboard().setText(QStringLiteral("42")));
    }
};

int main(int argc, char** argv) {
    answerWithoutApplication = SystemClipboard().setText(QStringLiteral("x"));
    {
        QCoreApplication core(argc, argv);
        answerWithCoreApplication = SystemClipboard().setText(QStringLiteral("x"));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestSystemClipboard test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_systemclipboard.moc"
