#pragma once
// What one result row shows, decided without any widget: the icon to look
// up, the title, the second line, the snippet runs, the score and the
// trailing symbol of the selected row. The shell paints it.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/sources/documents/SnippetSegment.h"

#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

namespace trovi {

enum class CustomFileIconKind { googleSheets, googleDocs, googleSlides, pdf };

// By the lower-cased name's suffix, for file results only.
std::optional<CustomFileIconKind> customFileIcon(const SearchResult& result);

// The symbol that stands for a result's kind or action ("doc.fill",
// "folder.fill", "equal.circle", ...).
QString symbolName(const SearchResult& result);

struct RowIcon {
    enum class Kind {
        symbol,             // `name` is a symbol name
        fileIcon,           // the file-system icon of `path`; `name` is the fallback symbol
        applicationIcon,    // `name` when given, else the icon the entry at `path` declares
        pdfTypeIcon,        // the document type's icon
        systemSettingsIcon, // the desktop's settings application
    };
    Kind kind = Kind::symbol;
    QString name;
    QString path;

    bool operator==(const RowIcon&) const = default;
};

// The themes that draw files and folders as symbols.
bool themeUsesSymbolIcons(const QString& themeID);
RowIcon rowIcon(const SearchResult& result, const QString& themeID, bool useNativeAppIcons);

struct RowContext {
    bool isSelected = false;
    bool isHovered = false;
    bool showSnippets = false;
    bool showScore = false;
    ResultActivationMode activationMode = ResultActivationMode::open;
    QString themeID;
    bool useNativeAppIcons = false;
};

struct ResultRowPresentation {
    static inline const QString revealHint = QStringLiteral("Reveal in File Manager");

    RowIcon icon;
    SearchResultKind kind = SearchResultKind::file; // some themes colour rows by kind
    QString title;
    QString secondLine;
    bool secondLineIsRevealHint =
        false; // semibold, elided at the end; else the folder, elided in the middle
    QList<SnippetSegment> snippet; // empty: no snippet line
    std::optional<std::int64_t> score;
    bool isSelected = false;
    bool isHovered = false;
    QString trailingSymbol; // "return" or "folder.fill" on the selected row
};

// "~/Documents" for a folder below home, "~" for home itself; anything else
// as it is. Rows show this; stored results keep the full path.
QString homeAbbreviatedPath(const QString& path, const QString& home);

ResultRowPresentation presentResultRow(const SearchResult& result, const RowContext& context);

} // namespace trovi

Q_DECLARE_METATYPE(trovi::ResultRowPresentation)
