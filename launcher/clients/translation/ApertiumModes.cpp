#include "launcher/clients/translation/ApertiumModes.h"

#include "launcher/clients/translation/ChildProcess.h"

#include <QDir>
#include <QHash>
#include <QProcessEnvironment>

namespace trovi::apertium {

namespace {

// ISO 639-1 to the ISO 639-3 names Apertium's newer pairs use.
const QHash<QString, QString>& threeLetterCodes() {
    static const QHash<QString, QString> codes{
        {"af", "afr"}, {"an", "arg"}, {"ar", "ara"}, {"be", "bel"}, {"bg", "bul"}, {"br", "bre"},
        {"bs", "bos"}, {"ca", "cat"}, {"cs", "ces"}, {"cy", "cym"}, {"da", "dan"}, {"de", "deu"},
        {"el", "ell"}, {"en", "eng"}, {"eo", "epo"}, {"es", "spa"}, {"et", "est"}, {"eu", "eus"},
        {"fi", "fin"}, {"fr", "fra"}, {"ga", "gle"}, {"gl", "glg"}, {"he", "heb"}, {"hi", "hin"},
        {"hr", "hrv"}, {"id", "ind"}, {"is", "isl"}, {"it", "ita"}, {"kk", "kaz"}, {"lt", "lit"},
        {"lv", "lav"}, {"mk", "mkd"}, {"ms", "zlm"}, {"mt", "mlt"}, {"nb", "nob"}, {"nl", "nld"},
        {"nn", "nno"}, {"no", "nor"}, {"oc", "oci"}, {"pl", "pol"}, {"pt", "por"}, {"ro", "ron"},
        {"ru", "rus"}, {"sc", "srd"}, {"sh", "hbs"}, {"sk", "slk"}, {"sl", "slv"}, {"sq", "sqi"},
        {"sr", "srp"}, {"sv", "swe"}, {"tr", "tur"}, {"tt", "tat"}, {"uk", "ukr"}, {"ur", "urd"},
        {"uz", "uzb"}};
    return codes;
}

// Debian 12's pair packages, the three-letter names first: they are the
// maintained ones where both exist.
const char* const kDebianPairs[] = {
    "afr-nld", "arg-cat", "bel-rus", "cat-ita", "cat-srd", "dan-nor", "eng-cat", "eng-spa",
    "fra-cat", "fra-frp", "hbs-eng", "hbs-mkd", "hbs-slv", "ind-zlm", "isl-eng", "isl-swe",
    "mkd-bul", "mkd-eng", "nno-nob", "oci-fra", "pol-szl", "por-cat", "rus-ukr", "spa-arg",
    "spa-ast", "spa-cat", "spa-ita", "srd-ita", "swe-dan", "swe-nor", "urd-hin", "br-fr",
    "en-gl",   "eo-ca",   "eo-en",   "eo-es",   "eo-fr",   "es-gl",   "es-pt",   "es-ro",
    "eu-en",   "eu-es",   "fr-es",   "is-sv",   "oc-ca",   "oc-es",   "pt-gl",
};

QString baseLanguage(const QString& name) {
    // "eng_US" -> "eng"; "pt-br" -> "pt".
    return name.section(u'_', 0, 0).section(u'-', 0, 0).toLower();
}

bool matches(const QString& modePart, const QStringList& aliases) {
    return aliases.contains(baseLanguage(modePart));
}

} // namespace

QString defaultDataDirectory() {
    const QString configured = qEnvironmentVariable("APERTIUM_DATADIR");
    return configured.isEmpty() ? QStringLiteral("/usr/share/apertium") : configured;
}

QStringList installedModes(const QString& dataDirectory, const QString& program) {
    QStringList modes;
    const QDir folder(QDir(dataDirectory).filePath(QStringLiteral("modes")));
    if (folder.exists()) {
        for (const QString& file : folder.entryList({QStringLiteral("*.mode")}, QDir::Files))
            modes << file.chopped(5);
    } else if (!program.isEmpty()) {
        auto list = ChildProcess::start(program, {QStringLiteral("-l")},
                                        QProcessEnvironment::systemEnvironment().toStringList(),
                                        ChildProcess::Streams::pipes);
        QByteArray output;
        const QDeadlineTimer deadline(2000);
        while (list && output.size() < 64 * 1024 &&
               list->read(output, deadline) == ChildProcess::ReadStatus::data) {
        }
        for (const QByteArray& line : output.split('\n')) {
            if (!line.trimmed().isEmpty())
                modes << QString::fromUtf8(line.trimmed());
        }
    }
    modes.sort();
    return modes;
}

QStringList codeAliases(const QString& languageCode) {
    const QString base = baseLanguage(languageCode);
    if (base.isEmpty())
        return {};
    QStringList aliases{base};
    const auto& codes = threeLetterCodes();
    if (const auto it = codes.constFind(base); it != codes.cend())
        aliases << *it;
    else if (const QString two = codes.key(base); !two.isEmpty())
        aliases << two;
    return aliases;
}

std::optional<QString> modeForPair(const QStringList& modes, const QString& source,
                                   const QString& target) {
    const QStringList from = codeAliases(source), to = codeAliases(target);
    std::optional<QString> variant;
    for (const QString& mode : modes) {
        const QStringList parts = mode.split(u'-');
        if (parts.size() != 2 || !matches(parts[0], from) || !matches(parts[1], to))
            continue;
        if (!parts[0].contains(u'_') && !parts[1].contains(u'_'))
            return mode;
        if (!variant)
            variant = mode;
    }
    return variant;
}

std::optional<QString> debianPackageForPair(const QString& source, const QString& target) {
    const QStringList a = codeAliases(source), b = codeAliases(target);
    for (const char* pair : kDebianPairs) {
        const QStringList parts = QString::fromLatin1(pair).split(u'-');
        if ((matches(parts[0], a) && matches(parts[1], b)) ||
            (matches(parts[0], b) && matches(parts[1], a)))
            return QStringLiteral("apertium-") + QString::fromLatin1(pair);
    }
    return std::nullopt;
}

QByteArray escapedForStream(const QString& text) {
    static const QString special = QStringLiteral("\\^$/@<>[]{}");
    QString escaped;
    escaped.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator) {
            escaped += u' ';
            continue;
        }
        if (special.contains(c))
            escaped += u'\\';
        escaped += c;
    }
    return escaped.toUtf8();
}

QString cleanedTranslation(const QByteArray& reply, const QString& sourceText) {
    const QString raw = QString::fromUtf8(reply);
    QString cleaned;
    cleaned.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c == u'\\' && i + 1 < raw.size()) {
            cleaned += raw.at(++i);
            continue;
        }
        // A mark opens the word it marks: "El *xyzzy perro".
        const bool opensWord = cleaned.isEmpty() || !cleaned.back().isLetterOrNumber();
        const bool marksWord = i + 1 < raw.size() && raw.at(i + 1).isLetterOrNumber();
        if ((c == u'*' || c == u'@' || c == u'#') && opensWord && marksWord &&
            !sourceText.contains(c))
            continue;
        cleaned += c;
    }
    return cleaned.simplified();
}

} // namespace trovi::apertium
