#pragma once
// Small but valid documents made on the spot: a PDF with one text line per
// page (the standard Helvetica font, so no font file is needed) and zip-based
// office files written with libzip.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <zip.h>

namespace trovi::test {

inline QByteArray minimalPdf(const QStringList& pages) {
    QList<QByteArray> objects;
    const int count = int(pages.size());
    QByteArray kids;
    for (int i = 0; i < count; ++i)
        kids += QByteArray::number(4 + 2 * i) + " 0 R ";
    objects << "<< /Type /Catalog /Pages 2 0 R >>";
    objects << "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(count) + " >>";
    objects << "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    for (int i = 0; i < count; ++i) {
        QByteArray text = pages[i].toLatin1();
        text.replace('\\', "\\\\").replace('(', "\\(").replace(')', "\\)");
        const QByteArray stream = "BT /F1 12 Tf 72 720 Td (" + text + ") Tj ET";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << "
                   "/F1 3 0 R >> >> /Contents " +
                       QByteArray::number(5 + 2 * i) + " 0 R >>";
        objects << "<< /Length " + QByteArray::number(stream.size()) + " >>\nstream\n" + stream +
                       "\nendstream";
    }
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (int i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

using ZipEntries = QList<QPair<QString, QByteArray>>;

// Writes a zip archive; false when libzip could not.
inline bool writeZip(const QString& path, const ZipEntries& entries) {
    int error = 0;
    zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return false;
    for (const auto& [name, data] : entries) {
        // libzip reads the buffers at zip_close(); they outlive it here.
        zip_source_t* source =
            zip_source_buffer(archive, data.constData(), zip_uint64_t(data.size()), 0);
        if (!source ||
            zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
    }
    return zip_close(archive) == 0;
}

inline ZipEntries odtEntries(const QStringList& paragraphs) {
    QByteArray body;
    for (const QString& paragraph : paragraphs)
        body += "<text:p>" + paragraph.toHtmlEscaped().toUtf8() + "</text:p>";
    return {{"mimetype", "application/vnd.oasis.opendocument.text"},
            {"content.xml",
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
             "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
             "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body>"
             "<office:text>" +
                 body + "</office:text></office:body></office:document-content>"}};
}

} // namespace trovi::test
