#pragma once
// LauncherTray: the launcher's item in the system tray and its menu. It
// follows the tray-icon and version preferences and asks the shell, through
// signals, to show or toggle the window or open Settings or onboarding.

#include "launcher/settings/NotificationCenter.h"

#include <QObject>
#include <QPointer>

#include <vector>

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace trovi {

class PreferenceStore;

class LauncherTray : public QObject {
    Q_OBJECT
public:
    // `menuParent` owns the menu, so it closes with the window's application.
    LauncherTray(QWidget* menuParent, PreferenceStore& preferences,
                 NotificationCenter& notifications, QString versionText, QObject* parent = nullptr);
    ~LauncherTray() override;

    // Shows the item when the preference asks for it and a tray exists.
    void start();
    bool isShown() const { return m_tray != nullptr; }
    // The menu's entries, as the tray shows them.
    void fillMenu(QMenu* menu);

Q_SIGNALS:
    void showRequested();
    void toggleRequested();
    void settingsRequested();
    void onboardingRequested();

private:
    void update();
    QMenu* buildMenu();

    QPointer<QWidget> m_menuParent;
    PreferenceStore& m_preferences;
    NotificationCenter& m_notifications;
    QString m_versionText;
    QSystemTrayIcon* m_tray = nullptr;
    bool m_showIcon = true;
    bool m_showVersionNumber = true;
    bool m_toldNoTray = false;
    std::vector<NotificationToken> m_observers;
};

} // namespace trovi
