#pragma once
// ResultIconProvider: the picture for a row's icon. Applications show the
// icon their desktop entry names, files and folders the icon of their type,
// actions the desktop's icon closest to their symbol. Looked up once per key.

#include "launcher/session/ResultRowPresentation.h"

#include <QHash>
#include <QIcon>

namespace trovi {

class ResultIconProvider {
public:
    ResultIconProvider();

    QIcon icon(const RowIcon& icon);
    // For drawing in one colour: the desktop's "-symbolic" outline of a
    // symbol when there is one, else icon().
    QIcon monochromeIcon(const RowIcon& icon);
    // The desktop icon name standing in for a symbol name.
    static QString themeIconName(const QString& symbolName);

private:
    QIcon lookUp(const RowIcon& icon) const;

    QHash<QString, QIcon> m_cache;
};

// The "Icon" key of a desktop entry's main group; empty when absent.
QString desktopEntryIconName(const QString& desktopFilePath);

} // namespace trovi
