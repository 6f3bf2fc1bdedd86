#include "launcher/engine/sources/settingspanes/SystemSettingsShortcut.h"

namespace trovi {

QList<SystemSettingsShortcut> systemSettingsSeedShortcuts() {
    const QString prefix = QStringLiteral("x-apple.systempreferences:");
    const QString subtitle = systemSettingsSubtitle();
    auto pane = [&](const char* title, const char* primary, const char* fallback,
                    QStringList keywords) {
        return SystemSettingsShortcut{QString::fromUtf8(title), subtitle,
                                      prefix + QString::fromUtf8(primary),
                                      prefix + QString::fromUtf8(fallback), std::move(keywords)};
    };
    return {
        pane("Sound", "com.apple.Sound-Settings.extension", "com.apple.preference.sound",
             {"audio", "sound", "speaker", "speakers", "microphone", "mic", "lautsprecher", "ton"}),
        pane("Displays", "com.apple.Displays-Settings.extension", "com.apple.preference.displays",
             {"display", "displays", "monitor", "monitors", "screen", "screens", "bildschirm"}),
        pane("Notifications", "com.apple.Notifications-Settings.extension",
             "com.apple.preference.notifications",
             {"notification", "notifications", "alerts", "benachrichtigung", "benachrichtigungen"}),
        pane("Wallpaper", "com.apple.Wallpaper-Settings.extension",
             "com.apple.preference.desktopscreeneffect",
             {"wallpaper", "background", "desktop", "hintergrund"}),
        pane("Screen Time", "com.apple.Screen-Time-Settings.extension",
             "com.apple.preference.screentime",
             {"screen time", "screentime", "usage", "focus", "bildschirmzeit"}),
        pane("Time Machine", "com.apple.Time-Machine-Settings.extension",
             "com.apple.preferences.TimeMachine",
             {"time machine", "backup", "backups", "restore", "sicherung", "sicherungen"}),
    };
}

} // namespace trovi
