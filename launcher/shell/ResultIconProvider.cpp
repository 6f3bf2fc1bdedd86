#include "launcher/shell/ResultIconProvider.h"

#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace trovi {

namespace {

QIcon themed(const QStringList& names) {
    for (const QString& name : names) {
        if (!name.isEmpty() && QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return {};
}

QIcon fileIcon(const QString& path, bool isFolder) {
    if (isFolder || QFileInfo(path).isDir()) {
        if (QIcon icon = themed({QStringLiteral("folder")}); !icon.isNull())
            return icon;
    } else {
        // By name only: reading every file's first bytes would stall painting.
        static const QMimeDatabase mimes;
        const QMimeType type = mimes.mimeTypeForFile(path, QMimeDatabase::MatchExtension);
        if (QIcon icon =
                themed({type.iconName(), type.genericIconName(), QStringLiteral("text-x-generic")});
            !icon.isNull())
            return icon;
    }
    static QFileIconProvider provider;
    return provider.icon(QFileInfo(path));
}

} // namespace

QString desktopEntryIconName(const QString& desktopFilePath) {
    QFile file(desktopFilePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            if (inMainGroup)
                break;
            inMainGroup = line == QLatin1String("[Desktop Entry]");
        } else if (inMainGroup && line.startsWith(QLatin1String("Icon"))) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Icon"))
                return line.mid(eq + 1).trimmed();
        }
    }
    return {};
}

ResultIconProvider::ResultIconProvider() {
    // Platforms without a desktop theme (offscreen, bare X servers) search
    // only Qt's resources; the freedesktop folders are where the icons are.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        if (!paths.contains(dir + QStringLiteral("/icons")))
            paths.append(dir + QStringLiteral("/icons"));
    }
    if (paths != QIcon::themeSearchPaths())
        QIcon::setThemeSearchPaths(paths);
    // Bare X servers and offscreen runs name no theme; Adwaita ships with Qt's
    // Debian packages' dependencies and covers every name used here.
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QLatin1String("hicolor"))
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
}

QString ResultIconProvider::themeIconName(const QString& symbolName) {
    static const QHash<QString, QString> names = {
        {QStringLiteral("doc.fill"), QStringLiteral("text-x-generic")},
        {QStringLiteral("app.fill"), QStringLiteral("application-x-executable")},
        {QStringLiteral("folder.fill"), QStringLiteral("folder")},
        {QStringLiteral("equal.circle"), QStringLiteral("accessories-calculator")},
        {QStringLiteral("globe"), QStringLiteral("web-browser")},
        {QStringLiteral("bookmark.fill"), QStringLiteral("user-bookmarks")},
        {QStringLiteral("gearshape.fill"), QStringLiteral("preferences-system")},
        {QStringLiteral("doc.richtext"), QStringLiteral("x-office-document")},
        {QStringLiteral("slider.horizontal.3"), QStringLiteral("preferences-other")},
        {QStringLiteral("tablecells.fill"), QStringLiteral("x-office-spreadsheet")},
        {QStringLiteral("doc.text.fill"), QStringLiteral("x-office-document")},
        {QStringLiteral("rectangle.on.rectangle"), QStringLiteral("x-office-presentation")},
    };
    return names.value(symbolName);
}

QIcon ResultIconProvider::icon(const RowIcon& icon) {
    const QString key = QString::number(int(icon.kind)) + u'|' + icon.name + u'|' + icon.path;
    auto it = m_cache.find(key);
    if (it == m_cache.end()) {
        if (m_cache.size() > 512)
            m_cache.clear();
        it = m_cache.insert(key, lookUp(icon));
    }
    return *it;
}

QIcon ResultIconProvider::monochromeIcon(const RowIcon& icon) {
    if (icon.kind != RowIcon::Kind::symbol)
        return this->icon(icon);
    const QString key = QStringLiteral("symbolic|") + icon.name;
    auto it = m_cache.find(key);
    if (it == m_cache.end()) {
        QIcon found = QIcon::fromTheme(themeIconName(icon.name) + QStringLiteral("-symbolic"));
        it = m_cache.insert(key, found.isNull() ? this->icon(icon) : found);
    }
    return *it;
}

QIcon ResultIconProvider::lookUp(const RowIcon& icon) const {
    using Kind = RowIcon::Kind;
    switch (icon.kind) {
    case Kind::symbol:
        return themed({themeIconName(icon.name), QStringLiteral("text-x-generic")});
    case Kind::pdfTypeIcon:
        return themed({QStringLiteral("application-pdf"), QStringLiteral("x-office-document")});
    case Kind::systemSettingsIcon:
        return themed({QStringLiteral("preferences-system"), QStringLiteral("preferences-other")});
    case Kind::applicationIcon: {
        const QString name = !icon.name.isEmpty() ? icon.name
                             : icon.path.endsWith(QLatin1String(".desktop"))
                                 ? desktopEntryIconName(icon.path)
                                 : QString();
        if (name.startsWith(u'/') && QFileInfo::exists(name))
            return QIcon(name);
        if (QIcon found = themed({name, QStringLiteral("application-x-executable")});
            !found.isNull())
            return found;
        return fileIcon(icon.path, false);
    }
    case Kind::fileIcon:
        return fileIcon(icon.path, icon.name == QLatin1String("folder.fill"));
    }
    return {};
}

} // namespace trovi
