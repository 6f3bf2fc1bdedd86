#include "launcher/engine/sources/paths/ShortcutUsageKey.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

#include <optional>

using namespace trovi;
using namespace Qt::StringLiterals;

namespace {

QByteArray xmlPropertyList(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           body + "\n</plist>\n";
}

QByteArray binaryFixture() {
    return test::readFile(TROVI_FIXTURES_DIR "/shortcuts/binary.webloc");
}

// A binary property list of `depth` one-element arrays, each holding the next.
QByteArray nestedArrays(quint32 depth) {
    const auto be32 = [](quint32 v) {
        QByteArray b(4, 0);
        qToBigEndian(v, b.data());
        return b;
    };
    QByteArray data("bplist00");
    QByteArray offsets;
    for (quint32 i = 0; i < depth; ++i) {
        offsets += be32(quint32(data.size()));
        data += i + 1 < depth ? QByteArray("\xA1") + be32(i + 1) : QByteArray("\xA0");
    }
    QByteArray trailer(32, 0);
    trailer[6] = trailer[7] = 4; // offset and reference sizes
    qToBigEndian<quint64>(depth, trailer.data() + 8);
    qToBigEndian<quint64>(quint64(data.size()), trailer.data() + 24);
    return data + offsets + trailer;
}

} // namespace

class TestShortcutUsageKey : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& content) {
        const QString path = m_dir.filePath(name);
        return test::writeFile(path, content) ? path : QString();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void keyFromFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected"); // empty: no key
        const auto row = [](const char* what, const char* name, const QByteArray& content,
                            const QString& expected) {
            QTest::newRow(what) << QString(name) << content << expected;
        };
        row("internet shortcut with CRLF lines", "a.url",
            "[InternetShortcut]\r\nURL=https://example.com/a\r\n", "https://example.com/a");
        row("key in any case; value keeps its case and non-ASCII text", "b.URL",
            "[InternetShortcut]\n  uRl=https://example.com/Caf\xc3\xa9 \n",
            u"https://example.com/Café"_s);
        row("empty address", "f.url", "URL=\n", "");
        row("key must start the line", "g.url",
            "BASEURL=https://x.example\nURL =https://y.example\n", "");
        row("document link, suffix in upper case", "Sheet.GSHEET", "url=https://docs.example/s/2",
            "https://docs.example/s/2");
        row("other suffixes have no key", "notes.url.txt", "URL=https://example.com", "");
        row("document link, mixed case", "Plan.GDoc", "URL=https://d/1", "https://d/1");
        row("XML property list", "x.webloc",
            xmlPropertyList("<dict><key>URL</key><string>https://example.com/x?a=1&amp;b=2"
                            "</string></dict>"),
            "https://example.com/x?a=1&b=2");
        row("binary property list", "bin.webloc", binaryFixture(), "https://example.com/binary");
        row("binary property list nested 90000 deep", "deep.webloc", nestedArrays(90000), "");
        row("truncated binary property list", "cut.webloc", binaryFixture().left(30), "");
        row("URL that is not a string", "int.webloc",
            xmlPropertyList("<dict><key>URL</key><integer>7</integer></dict>"), "");
        row("unclosed XML", "open.webloc", "<?xml version=\"1.0\"?><plist><dict><key>URL</key>",
            "");
    }

    void keyFromFile() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        const QString path = write(name, content);
        QVERIFY(!path.isEmpty());
        QCOMPARE(shortcutUsageKey(path),
                 expected.isEmpty() ? std::nullopt : std::optional<QString>(expected));
    }

    void filesThatCannotBeReadHaveNoKey() {
        QVERIFY(!shortcutUsageKey(m_dir.filePath(u"missing.url"_s)));
        QVERIFY(QDir(m_dir.path()).mkdir(u"Folder.webloc"_s));
        QVERIFY(!shortcutUsageKey(m_dir.filePath(u"Folder.webloc"_s)));
        // A pipe without a writer would block a plain read forever.
        const QString fifo = m_dir.filePath(u"pipe.url"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!shortcutUsageKey(fifo));
    }
};

QTEST_GUILESS_MAIN(TestShortcutUsageKey)
#include "tst_shortcutusagekey.moc"
