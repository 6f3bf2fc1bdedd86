#!/usr/bin/env python3
"""Writes a document corpus for the indexer comparison: text and Markdown
files plus minimal but valid PDFs and ODF/OOXML files, with words drawn
from a fixed vocabulary so every run indexes the same text.

usage: gen_documents.py FOLDER [TEXT_FILES] [PDFS] [OFFICE_FILES]
"""
import os
import random
import sys
import zipfile

WORDS = ("alpha bravo charlie delta echo foxtrot golf hotel india juliet kilo lima mike "
         "november oscar papa quebec romeo sierra tango uniform victor whiskey xray yankee "
         "zulu budget invoice meeting project report summary quarterly revenue forecast "
         "photosynthesis chlorophyll mitochondria protein enzyme catalyst reaction thesis "
         "chapter appendix figure table method result discussion conclusion abstract").split()


def sentence(rng, n):
    return " ".join(rng.choice(WORDS) for _ in range(n))


def pdf(pages):
    objects = [b"<< /Type /Catalog /Pages 2 0 R >>"]
    kids = " ".join(f"{4 + 2 * i} 0 R" for i in range(len(pages))).encode()
    objects.append(b"<< /Type /Pages /Kids [" + kids + b"] /Count " + str(len(pages)).encode() + b" >>")
    objects.append(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
    for i, text in enumerate(pages):
        stream = b"BT /F1 12 Tf 72 720 Td (" + text.encode("latin-1") + b") Tj ET"
        objects.append(b"<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> /Contents "
                       + str(5 + 2 * i).encode() + b" 0 R >>")
        objects.append(b"<< /Length " + str(len(stream)).encode() + b" >>\nstream\n" + stream + b"\nendstream")
    out = b"%PDF-1.4\n"
    offsets = []
    for i, body in enumerate(objects):
        offsets.append(len(out))
        out += str(i + 1).encode() + b" 0 obj\n" + body + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 " + str(len(objects) + 1).encode() + b"\n0000000000 65535 f \n"
    for offset in offsets:
        out += b"%010d 00000 n \n" % offset
    out += b"trailer\n<< /Size " + str(len(objects) + 1).encode() + b" /Root 1 0 R >>\nstartxref\n" + str(xref).encode() + b"\n%%EOF\n"
    return out


def odt(path, paragraphs):
    body = "".join(f"<text:p>{p}</text:p>" for p in paragraphs)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/vnd.oasis.opendocument.text")
        z.writestr("META-INF/manifest.xml",
                   '<?xml version="1.0" encoding="UTF-8"?><manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">'
                   '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.text"/>'
                   '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/></manifest:manifest>')
        z.writestr("content.xml",
                   '<?xml version="1.0" encoding="UTF-8"?><office:document-content '
                   'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
                   'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" office:version="1.2">'
                   f"<office:body><office:text>{body}</office:text></office:body></office:document-content>")


def docx(path, paragraphs):
    w = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
    body = "".join(f"<w:p><w:r><w:t>{p}</w:t></w:r></w:p>" for p in paragraphs)
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                   '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                   '<Default Extension="xml" ContentType="application/xml"/>'
                   '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
        z.writestr("_rels/.rels",
                   '<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>')
        z.writestr("word/document.xml",
                   f'<?xml version="1.0" encoding="UTF-8"?><w:document xmlns:w="{w}"><w:body>{body}</w:body></w:document>')


def main():
    folder = sys.argv[1]
    texts = int(sys.argv[2]) if len(sys.argv) > 2 else 20000
    pdfs = int(sys.argv[3]) if len(sys.argv) > 3 else 200
    offices = int(sys.argv[4]) if len(sys.argv) > 4 else 200
    rng = random.Random(42)
    for i in range(texts):
        sub = os.path.join(folder, f"notes{i // 500:03d}")
        os.makedirs(sub, exist_ok=True)
        if i % 2:
            body = f"# {sentence(rng, 4)}\n\n" + "\n\n".join(
                f"- {sentence(rng, 12)} [link](https://example.org/{i})" for _ in range(8))
            name = f"note{i:05d}.md"
        else:
            body = "\n".join(sentence(rng, 14) for _ in range(12))
            name = f"note{i:05d}.txt"
        with open(os.path.join(sub, name), "w") as f:
            f.write(body + "\n")
    docs = os.path.join(folder, "documents")
    os.makedirs(docs, exist_ok=True)
    for i in range(pdfs):
        with open(os.path.join(docs, f"paper{i:03d}.pdf"), "wb") as f:
            f.write(pdf([sentence(rng, 20) for _ in range(3)]))
    for i in range(offices):
        paragraphs = [sentence(rng, 15) for _ in range(6)]
        if i % 2:
            docx(os.path.join(docs, f"memo{i:03d}.docx"), paragraphs)
        else:
            odt(os.path.join(docs, f"letter{i:03d}.odt"), paragraphs)


if __name__ == "__main__":
    main()
