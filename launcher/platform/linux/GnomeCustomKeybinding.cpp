#include "launcher/platform/linux/GnomeCustomKeybinding.h"

#include <QProcess>

#include <xkbcommon/xkbcommon.h>

namespace trovi {

namespace {

QString relocated() {
    return QLatin1StringView(GnomeCustomKeybinding::entrySchema) + u':' +
           QLatin1StringView(GnomeCustomKeybinding::entryPath);
}

} // namespace

std::optional<QString> gnomeAccelerator(const HotKeySettings& settings) {
    xkb_keysym_t keysym = XKB_KEY_NoSymbol;
    if (settings.character && !settings.character->isEmpty())
        keysym = xkb_utf32_to_keysym(settings.character->toUcs4().value(0));
    else if (const auto info = keyCodeInfo(settings.keyCode))
        keysym = info->keysym;
    char name[64] = {};
    if (keysym == XKB_KEY_NoSymbol || xkb_keysym_get_name(keysym, name, sizeof name) <= 0)
        return std::nullopt;
    QString accelerator;
    const std::pair<quint32, const char*> modifiers[] = {{carbonModifier::control, "<Control>"},
                                                         {carbonModifier::option, "<Alt>"},
                                                         {carbonModifier::shift, "<Shift>"},
                                                         {carbonModifier::command, "<Super>"}};
    for (const auto& [bit, text] : modifiers)
        if (settings.modifiers & bit)
            accelerator += QLatin1StringView(text);
    return accelerator + QString::fromLatin1(name);
}

std::optional<QStringList> parseGVariantStringArray(const QString& text) {
    QString rest = text.trimmed();
    if (rest.startsWith(QStringLiteral("@as ")))
        rest = rest.mid(4).trimmed();
    if (!rest.startsWith(u'[') || !rest.endsWith(u']'))
        return std::nullopt;
    rest = rest.mid(1, rest.size() - 2);
    QStringList items;
    qsizetype i = 0;
    const auto skipSpace = [&] {
        while (i < rest.size() && rest.at(i).isSpace())
            ++i;
    };
    skipSpace();
    while (i < rest.size()) {
        const QChar quote = rest.at(i);
        if (quote != u'\'' && quote != u'"')
            return std::nullopt;
        QString item;
        for (++i; i < rest.size() && rest.at(i) != quote; ++i) {
            if (rest.at(i) == u'\\' && i + 1 < rest.size())
                ++i;
            item += rest.at(i);
        }
        if (i >= rest.size())
            return std::nullopt;
        items.append(item);
        ++i;
        skipSpace();
        if (i < rest.size()) {
            if (rest.at(i) != u',')
                return std::nullopt;
            ++i;
            skipSpace();
        }
    }
    return items;
}

QString gVariantString(const QString& text) {
    QString escaped = text;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
    return u'\'' + escaped + u'\'';
}

QString gVariantStringArray(const QStringList& items) {
    QStringList quoted;
    for (const QString& item : items)
        quoted.append(gVariantString(item));
    return u'[' + quoted.join(QStringLiteral(", ")) + u']';
}

GnomeCustomKeybinding::GnomeCustomKeybinding(QString gsettings)
    : m_gsettings(std::move(gsettings)) {}

GnomeCustomKeybinding::Run GnomeCustomKeybinding::gsettings(const QStringList& arguments) const {
    QProcess process;
    process.start(m_gsettings, arguments);
    if (!process.waitForStarted(10000))
        return {false, QStringLiteral("cannot run %1: %2").arg(m_gsettings, process.errorString())};
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {false, QStringLiteral("%1 did not finish").arg(m_gsettings)};
    }
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return {ok,
            QString::fromUtf8(ok ? process.readAllStandardOutput() : process.readAllStandardError())
                .trimmed()};
}

std::optional<QStringList> GnomeCustomKeybinding::entries(QString* problem) const {
    const Run list = gsettings({QStringLiteral("get"), QLatin1StringView(listSchema),
                                QStringLiteral("custom-keybindings")});
    if (!list.ok) {
        *problem = QStringLiteral("cannot read GNOME's custom shortcuts: ") + list.output;
        return std::nullopt;
    }
    auto parsed = parseGVariantStringArray(list.output);
    if (!parsed)
        *problem = QStringLiteral("GNOME's list of custom shortcuts is not a list of paths: ") +
                   list.output.left(200);
    return parsed;
}

DesktopShortcutOutcome GnomeCustomKeybinding::install(const QString& accelerator,
                                                      const QString& command) const {
    QString problem;
    std::optional<QStringList> list = entries(&problem);
    if (!list)
        return {false, problem};
    // The entry is written before it is listed, so GNOME never sees it half made.
    const std::pair<const char*, QString> keys[] = {
        {"name", QStringLiteral("Trovi Launcher")},
        {"command", command},
        {"binding", accelerator},
    };
    for (const auto& [key, value] : keys) {
        const Run set = gsettings(
            {QStringLiteral("set"), relocated(), QLatin1StringView(key), gVariantString(value)});
        if (!set.ok)
            return {false, QStringLiteral("cannot write the shortcut: ") + set.output};
    }
    if (!list->contains(QLatin1StringView(entryPath))) {
        list->append(QLatin1StringView(entryPath));
        const Run set =
            gsettings({QStringLiteral("set"), QLatin1StringView(listSchema),
                       QStringLiteral("custom-keybindings"), gVariantStringArray(*list)});
        if (!set.ok)
            return {false,
                    QStringLiteral("cannot add the shortcut to GNOME's list: ") + set.output};
    }
    return {true, QStringLiteral("GNOME now runs \"%1\" on %2 (Settings › Keyboard › Custom "
                                 "Shortcuts › Trovi Launcher).")
                      .arg(command, accelerator)};
}

DesktopShortcutOutcome GnomeCustomKeybinding::remove() const {
    QString problem;
    std::optional<QStringList> list = entries(&problem);
    if (!list)
        return {false, problem};
    const bool listed = list->removeAll(QLatin1StringView(entryPath)) > 0;
    if (listed) {
        // An emptied list goes back to the default, as if never touched.
        const Run set =
            list->isEmpty()
                ? gsettings({QStringLiteral("reset"), QLatin1StringView(listSchema),
                             QStringLiteral("custom-keybindings")})
                : gsettings({QStringLiteral("set"), QLatin1StringView(listSchema),
                             QStringLiteral("custom-keybindings"), gVariantStringArray(*list)});
        if (!set.ok)
            return {false,
                    QStringLiteral("cannot take the shortcut out of GNOME's list: ") + set.output};
    }
    for (const char* key : {"name", "command", "binding"})
        gsettings({QStringLiteral("reset"), relocated(), QLatin1StringView(key)});
    return {true, listed ? QStringLiteral("The Trovi Launcher shortcut is removed from GNOME.")
                         : QStringLiteral("GNOME had no Trovi Launcher shortcut.")};
}

} // namespace trovi
