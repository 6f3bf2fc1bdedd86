// Each extractor on real documents: the words a person would search for come
// out, markup and targets do not, and hostile files fail instead of hanging
// or eating memory.

#include "indexer/extractors/ExtractorRegistry.h"
#include "tests/indexer/DocumentFixtures.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace trovi::indexer;
using trovi::test::ZipEntries;

namespace {

QByteArray zipBytes(const ZipEntries& entries) {
    QTemporaryDir dir;
    const QString path = dir.filePath("archive.zip");
    if (!trovi::test::writeZip(path, entries))
        return {};
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QByteArray ooxml(const QString& part, const QByteArray& xml) {
    return zipBytes({{"[Content_Types].xml", "<Types/>"}, {part, xml}});
}

} // namespace

class ExtractorsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void extractsTheWordsOrRefuses_data() {
        QTest::addColumn<QString>("filename");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");

        QTest::addRow("UTF-8 text keeps accents")
            << "notes.txt" << QByteArray("caf\xc3\xa9 cr\xc3\xa8me") << QStringList{"café crème"}
            << QStringList{};
        QTest::addRow("Latin-1 text is not mojibake") << "old.txt" << QByteArray("caf\xe9 na\xefve")
                                                      << QStringList{"café naïve"} << QStringList{};
        QTest::addRow("UTF-16 with a byte-order mark")
            << "win.txt" << QByteArray("\xff\xfeh\0i\0", 6) << QStringList{"hi"} << QStringList{};
        QTest::addRow("Markdown keeps link text, drops targets and markers")
            << "readme.md"
            << QByteArray("# Quarterly *plan*\n\nSee [the budget](https://example.org/x) and "
                          "`code`.\n\n[1]: https://hidden.example\n")
            << QStringList{"Quarterly", "plan", "the budget", "code"}
            << QStringList{"example.org", "hidden", "#", "*"};
        QTest::addRow("HTML drops tags, scripts and comments, decodes entities")
            << "page.html"
            << QByteArray("<html><head><style>p{color:red}</style><script>var secret=1;</script>"
                          "</head><body><p>Fish &amp; chips</p><!-- hidden --><td>a</td><td>b"
                          "</td></body></html>")
            << QStringList{"Fish & chips", "a b"}
            << QStringList{"color", "secret", "hidden", "<p>"};
        QTest::addRow("PDF text of every page")
            << "report.pdf" << trovi::test::minimalPdf({"Photosynthesis basics", "Second page"})
            << QStringList{"Photosynthesis basics", "Second page"} << QStringList{};
        QTest::addRow("ODT paragraphs do not run together")
            << "letter.odt" << zipBytes(trovi::test::odtEntries({"Dear Anna", "Kind regards"}))
            << QStringList{"Dear Anna", "Kind regards"} << QStringList{"AnnaKind"};
        QTest::addRow("DOCX runs of one word join, paragraphs separate")
            << "memo.docx"
            << ooxml("word/document.xml",
                     "<w:document xmlns:w=\"urn:w\"><w:body><w:p><w:r><w:t>Inter</w:t></w:r>"
                     "<w:r><w:t>national</w:t></w:r></w:p><w:p><w:r><w:t>Trade</w:t></w:r>"
                     "</w:p></w:body></w:document>")
            << QStringList{"International Trade"} << QStringList{};
        QTest::addRow("XLSX shared strings")
            << "sheet.xlsx"
            << ooxml("xl/sharedStrings.xml",
                     "<sst xmlns=\"urn:s\"><si><t>Revenue</t></si><si><t>Costs</t></si></sst>")
            << QStringList{"Revenue Costs"} << QStringList{};
        QTest::addRow("PPTX slide text")
            << "deck.pptx"
            << ooxml("ppt/slides/slide1.xml",
                     "<p:sld xmlns:p=\"urn:p\" xmlns:a=\"urn:a\"><a:p><a:r><a:t>Roadmap"
                     "</a:t></a:r></a:p></p:sld>")
            << QStringList{"Roadmap"} << QStringList{};
        // No words expected: the file is refused. Inflating and cut-short
        // documents are the indexer's rows.
        QTest::addRow("binary data named .txt")
            << "blob.txt" << QByteArray::fromHex("7f454c46000001") << QStringList{}
            << QStringList{};
        QTest::addRow("a .docx that is no zip")
            << "fake.docx" << QByteArray("just text") << QStringList{} << QStringList{};
        QTest::addRow("an ODT without content")
            << "empty.odt" << zipBytes({{"mimetype", "application/vnd.oasis.opendocument.text"}})
            << QStringList{} << QStringList{};
    }
    void extractsTheWordsOrRefuses() {
        QFETCH(QString, filename);
        QFETCH(QByteArray, data);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        ExtractorRegistry registry;
        const TextExtractor* extractor = registry.forFileName(filename);
        QVERIFY(extractor);
        QVERIFY(!data.isEmpty());
        auto text = extractor->extract(data, ExtractionLimits());
        if (present.isEmpty()) {
            QVERIFY2(!text.ok(), qPrintable(text.ok() ? text.value().left(80) : QString()));
            QVERIFY(!text.error().message.isEmpty());
            return;
        }
        QVERIFY2(text.ok(), qPrintable(text.ok() ? QString() : text.error().message));
        for (const QString& word : present)
            QVERIFY2(text.value().contains(word), qPrintable(text.value()));
        for (const QString& word : absent)
            QVERIFY2(!text.value().contains(word), qPrintable(text.value()));
    }

    void keepsTextWithinTheLimit() {
        ExtractorRegistry registry;
        ExtractionLimits limits;
        limits.maxTextCharacters = 1000;
        const QByteArray big = QByteArray("word ").repeated(100000);
        for (const char* name : {"a.txt", "a.md", "a.html"}) {
            auto text = registry.forFileName(name)->extract(big, limits);
            QVERIFY(text.ok());
            QVERIFY2(text.value().size() <= 1000, qPrintable(name));
        }
    }

    void unknownSuffixesHaveNoExtractor() {
        ExtractorRegistry registry;
        QVERIFY(!registry.forFileName("movie.mkv"));
        QVERIFY(!registry.forFileName("Makefile"));
        QVERIFY(registry.forFileName("REPORT.PDF"));
    }
};

QTEST_GUILESS_MAIN(ExtractorsTest)
#include "tst_extractors.moc"
