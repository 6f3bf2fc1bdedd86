#include "launcher/engine/ShortcutUsageKey.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <optional>

using namespace trovi;
using namespace Qt::StringLiterals;

using OptionalKey = std::optional<QString>;
Q_DECLARE_METATYPE(OptionalKey)

namespace {

QByteArray xmlPropertyList(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           body + "\n</plist>\n";
}

QByteArray binaryFixture() {
    QFile file(QStringLiteral(TROVI_FIXTURES_DIR "/shortcuts/binary.webloc"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestShortcutUsageKey : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QString& name, const QByteArray& content) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        file.write(content);
        return path;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void keyFromFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<OptionalKey>("expected");
        const OptionalKey none;

        QTest::addRow("internet shortcut with CRLF lines")
            << "a.url" << QByteArray("[InternetShortcut]\r\nURL=https://example.com/a\r\n")
            << OptionalKey(u"https://example.com/a"_s);
        QTest::addRow("key in any letter case, line padded")
            << "b.URL" << QByteArray("[InternetShortcut]\n   uRl=https://example.com/b  \t\n")
            << OptionalKey(u"https://example.com/b"_s);
        QTest::addRow("first URL line wins")
            << "c.url" << QByteArray("URL=https://first.example\nURL=https://second.example\n")
            << OptionalKey(u"https://first.example"_s);
        QTest::addRow("value keeps its case and non-ASCII text")
            << "d.url" << QByteArray("URL=https://example.com/Caf\xc3\xa9?Q=1")
            << OptionalKey(u"https://example.com/Café?Q=1"_s);
        QTest::addRow("no URL line")
            << "e.url" << QByteArray("[InternetShortcut]\nIconIndex=0\n") << none;
        QTest::addRow("empty address") << "f.url" << QByteArray("URL=\n") << none;
        QTest::addRow("key must start the line")
            << "g.url" << QByteArray("BASEURL=https://x.example\nURL =https://y.example\n") << none;
        QTest::addRow("Google document link")
            << "Plan.gdoc" << QByteArray("URL=https://docs.example/d/1\n")
            << OptionalKey(u"https://docs.example/d/1"_s);
        QTest::addRow("suffix in upper case")
            << "Sheet.GSHEET" << QByteArray("url=https://docs.example/s/2")
            << OptionalKey(u"https://docs.example/s/2"_s);
        QTest::addRow("slides") << "Deck.gslides" << QByteArray("URL=https://docs.example/p/3")
                                << OptionalKey(u"https://docs.example/p/3"_s);
        QTest::addRow("other suffixes have no key")
            << "notes.txt" << QByteArray("URL=https://example.com") << none;
        QTest::addRow("empty file") << "empty.url" << QByteArray() << none;

        QTest::addRow("XML property list")
            << "x.webloc"
            << xmlPropertyList("<dict><key>URL</key><string>https://example.com/"
                               "x?a=1&amp;b=2</string></dict>")
            << OptionalKey(u"https://example.com/x?a=1&b=2"_s);
        QTest::addRow("XML property list, upper-case suffix")
            << "LINK.WEBLOC"
            << xmlPropertyList("<dict><key>URL</key><string>https://example.com/y</string></dict>")
            << OptionalKey(u"https://example.com/y"_s);
        QTest::addRow("binary property list")
            << "bin.webloc" << binaryFixture() << OptionalKey(u"https://example.com/binary"_s);
        QTest::addRow("truncated binary property list")
            << "cut.webloc" << binaryFixture().left(30) << none;
        QTest::addRow("binary header followed by garbage")
            << "junk.webloc" << (QByteArray("bplist00\xff\xff\xff\xff\x00\x01", 14) + "garbage")
            << none;
        QTest::addRow("property list that is an array")
            << "array.webloc" << xmlPropertyList("<array><string>https://x</string></array>")
            << none;
        QTest::addRow("dictionary without URL")
            << "nourl.webloc" << xmlPropertyList("<dict><key>url</key><string>x</string></dict>")
            << none;
        QTest::addRow("URL that is not a string")
            << "int.webloc" << xmlPropertyList("<dict><key>URL</key><integer>7</integer></dict>")
            << none;
        QTest::addRow("unclosed XML")
            << "open.webloc" << QByteArray("<?xml version=\"1.0\"?><plist><dict><key>URL</key>")
            << none;
        QTest::addRow("plain text")
            << "text.webloc" << QByteArray("URL=https://example.com") << none;
    }

    void keyFromFile() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(OptionalKey, expected);
        const QString path = write(name, content);
        QVERIFY(!path.isEmpty());
        QCOMPARE(shortcutUsageKey(path), expected);
    }

    void filesThatCannotBeReadHaveNoKey() {
        QCOMPARE(shortcutUsageKey(m_dir.filePath(u"missing.url"_s)), OptionalKey());
        QVERIFY(QDir(m_dir.path()).mkdir(u"Folder.webloc"_s));
        QCOMPARE(shortcutUsageKey(m_dir.filePath(u"Folder.webloc"_s)), OptionalKey());
        // A pipe without a writer would block a plain read forever.
        const QString fifo = m_dir.filePath(u"pipe.url"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(shortcutUsageKey(fifo), OptionalKey());
    }

    void keyIsReadThroughSymbolicLinks() {
        const QString target = write(u"target.url"_s, "URL=https://example.com/target\n");
        const QString link = m_dir.filePath(u"link.url"_s);
        QVERIFY(QFile::link(target, link));
        QCOMPARE(shortcutUsageKey(link), OptionalKey(u"https://example.com/target"_s));
    }

    void suffixRecognition_data() {
        QTest::addColumn<QString>("filename");
        QTest::addColumn<bool>("expected");
        QTest::addRow("url") << "a.url" << true;
        QTest::addRow("webloc upper case") << "A.WEBLOC" << true;
        QTest::addRow("gsheet") << "budget.gsheet" << true;
        QTest::addRow("gdoc mixed case") << "Plan.GDoc" << true;
        QTest::addRow("gslides") << "deck.gslides" << true;
        QTest::addRow("suffix inside the name") << "a.url.txt" << false;
        QTest::addRow("no dot") << "weburl" << false;
        QTest::addRow("pdf") << "a.pdf" << false;
    }

    void suffixRecognition() {
        QFETCH(QString, filename);
        QFETCH(bool, expected);
        QCOMPARE(hasShortcutUsageKeySuffix(filename), expected);
    }
};

QTEST_GUILESS_MAIN(TestShortcutUsageKey)
#include "tst_shortcutusagekey.moc"
