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

} // namespace

class TestShortcutUsageKey : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Files under fixtures/shortcuts; "deep.webloc" is made here.
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
        row("truncated binary property list", "cut.webloc", "");
        row("URL that is not a string", "int.webloc", "");
        row("unclosed XML", "open.webloc", "");
    }

    void keyFromFile() {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QString path = TROVI_FIXTURES_DIR "/shortcuts/" + name;
        if (name == "deep.webloc")
            QVERIFY(test::writeFile(path = m_dir.filePath(name), nestedArrays(90000)));
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
