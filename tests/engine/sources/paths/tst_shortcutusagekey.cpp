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

// A binary property list of the given objects (references one byte wide),
// the first one at the top.
QByteArray binaryPropertyList(const QList<QByteArray>& objects) {
    QByteArray data("bplist00");
    QByteArray offsets;
    for (const QByteArray& object : objects) {
        offsets += char(data.size() >> 8);
        offsets += char(data.size() & 0xff);
        data += object;
    }
    QByteArray trailer(32, 0);
    trailer[6] = 2; // offset size
    trailer[7] = 1; // reference size
    qToBigEndian<quint64>(quint64(objects.size()), trailer.data() + 8);
    qToBigEndian<quint64>(quint64(data.size()), trailer.data() + 24);
    return data + offsets + trailer;
}

// {URL: "https://example.com/bomb", more: a0} where each array ai holds
// a(i+1) twice: 35 objects, about 200 bytes, 2^30 nodes once expanded.
QByteArray sharedReferenceBomb() {
    const QByteArray url = "https://example.com/bomb";
    QList<QByteArray> objects{QByteArray("\xD2\x01\x03\x02\x04", 5), "\x53URL",
                              char(0x50 | 0xF) + QByteArray("\x10") + char(url.size()) + url,
                              "\x54more"};
    for (int i = 0; i < 30; ++i)
        objects.append(QByteArray("\xA2") + char(5 + i) + char(5 + i));
    objects.append(QByteArray("\xA0"));
    return binaryPropertyList(objects);
}

// Entities that each expand to ten of the previous one.
QByteArray entityBomb() {
    QByteArray doctype = "<!DOCTYPE plist [<!ENTITY e0 \"aaaaaaaaaa\">";
    for (int i = 1; i < 10; ++i)
        doctype += "<!ENTITY e" + QByteArray::number(i) + " \"" +
                   QByteArray("&e" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    return "<?xml version=\"1.0\"?>" + doctype +
           "]><plist><dict><key>URL</key><string>https://x/&e9;</string></dict></plist>";
}

QByteArray deepXml(int depth) {
    return "<?xml version=\"1.0\"?><plist><dict><key>URL</key><string>https://x/</string>"
           "<key>a</key>" +
           QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth) +
           "</dict></plist>";
}

} // namespace

class TestShortcutUsageKey : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Files under fixtures/shortcuts; the generated ones are made here.
    void keyFromFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // empty: no key
        const auto row = [](const char* what, const char* name, const QString& expected) {
            QTest::newRow(what) << QString(name) << expected;
        };
        row("internet shortcut with CRLF lines", "a.url", "https://example.com/a");
        row("key in any case; value keeps its case and non-ASCII text", "b.URL",
            u"https://example.com/Café"_s);
        row("empty address", "f.url", "");
        row("key must start the line", "g.url", "");
        row("document link, suffix in upper case", "Sheet.GSHEET", "https://docs.example/s/2");
        row("other suffixes have no key", "notes.url.txt", "");
        row("document link, mixed case", "Plan.GDoc", "https://d/1");
        row("XML property list", "x.webloc", "https://example.com/x?a=1&b=2");
        row("binary property list", "binary.webloc", "https://example.com/binary");
        row("binary property list nested 90000 deep", "deep.webloc", "");
        // The address is still found: nothing but the top dictionary is read.
        row("binary arrays sharing references, 2^30 nodes expanded", "bomb.webloc",
            "https://example.com/bomb");
        row("XML with nested entity declarations", "entities.webloc", "");
        row("XML nested 100000 deep", "deep-xml.webloc", "");
        row("truncated binary property list", "cut.webloc", "");
        row("URL that is not a string", "int.webloc", "");
        row("unclosed XML", "open.webloc", "");
    }

    void keyFromFile() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QString path = TROVI_FIXTURES_DIR "/shortcuts/" + name;
        const QHash<QString, QByteArray> generated{{"deep.webloc", nestedArrays(90000)},
                                                   {"bomb.webloc", sharedReferenceBomb()},
                                                   {"entities.webloc", entityBomb()},
                                                   {"deep-xml.webloc", deepXml(100000)}};
        if (generated.contains(name))
            QVERIFY(test::writeFile(path = m_dir.filePath(name), generated[name]));
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
