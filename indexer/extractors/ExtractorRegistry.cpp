#include "indexer/extractors/ExtractorRegistry.h"

#include "indexer/extractors/HtmlExtractor.h"
#include "indexer/extractors/MarkdownExtractor.h"
#include "indexer/extractors/OfficeExtractor.h"
#include "indexer/extractors/PdfExtractor.h"
#include "indexer/extractors/PlainTextExtractor.h"

namespace trovi::indexer {

ExtractorRegistry::ExtractorRegistry() {
    auto add = [this](std::unique_ptr<TextExtractor> extractor, QStringList suffixes) {
        for (const QString& suffix : suffixes)
            m_bySuffix.insert(suffix, extractor.get());
        m_extractors.push_back(std::move(extractor));
    };
    add(std::make_unique<PlainTextExtractor>(),
        {"txt", "text",   "log",        "csv",   "tsv",   "rst",  "org", "tex",  "bib",  "srt",
         "vtt", "ini",    "cfg",        "conf",  "toml",  "yaml", "yml", "json", "xml",  "svg",
         "sql", "c",      "h",          "cc",    "cpp",   "cxx",  "hh",  "hpp",  "hxx",  "m",
         "mm",  "java",   "kt",         "scala", "swift", "go",   "rs",  "py",   "rb",   "pl",
         "pm",  "php",    "js",         "mjs",   "ts",    "tsx",  "jsx", "css",  "scss", "lua",
         "sh",  "bash",   "zsh",        "fish",  "ps1",   "bat",  "cs",  "fs",   "hs",   "ml",
         "el",  "clj",    "ex",         "exs",   "erl",   "r",    "jl",  "dart", "vue",  "cmake",
         "mk",  "gradle", "properties", "diff",  "patch"});
    add(std::make_unique<MarkdownExtractor>(), {"md", "markdown", "mdown", "mkd"});
    add(std::make_unique<HtmlExtractor>(), {"html", "htm", "xhtml"});
    add(std::make_unique<PdfExtractor>(), {"pdf"});
    add(std::make_unique<OfficeExtractor>(), {"odt", "ods", "odp", "docx", "xlsx", "pptx"});
}

const TextExtractor* ExtractorRegistry::forFileName(const QString& fileName) const {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0)
        return nullptr;
    return m_bySuffix.value(fileName.sliced(dot + 1).toLower(), nullptr);
}

} // namespace trovi::indexer
