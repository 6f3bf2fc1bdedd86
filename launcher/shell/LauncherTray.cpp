#include "launcher/shell/LauncherTray.h"

#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/shell/LauncherIcon.h"

#include <QCoreApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include <cstdio>

namespace trovi {

namespace names = notifications;

LauncherTray::LauncherTray(QWidget* menuParent, PreferenceStore& preferences,
                           NotificationCenter& notifications, QString versionText, QObject* parent)
    : QObject(parent), m_menuParent(menuParent), m_preferences(preferences),
      m_notifications(notifications), m_versionText(std::move(versionText)) {}

LauncherTray::~LauncherTray() {
    m_observers.clear();
}

void LauncherTray::start() {
    m_observers.push_back(m_notifications.observe(
        names::LauncherMenuBarIconVisibilityChanged, [this](const QVariantMap&) {
            m_showIcon = MenuBarIconVisibilityStore(m_preferences).load();
            update();
        }));
    m_observers.push_back(m_notifications.observe(
        names::LauncherVersionVisibilityChanged, [this](const QVariantMap&) {
            m_showVersionNumber = VersionVisibilityStore(m_preferences).load();
        }));
    m_showIcon = MenuBarIconVisibilityStore(m_preferences).load();
    m_showVersionNumber = VersionVisibilityStore(m_preferences).load();
    update();
}

void LauncherTray::update() {
    const bool trayExists = QSystemTrayIcon::isSystemTrayAvailable();
    if (m_showIcon && !trayExists && !m_toldNoTray) {
        // GNOME has none by default: the icon is not an error, just not there.
        m_toldNoTray = true;
        std::fprintf(stderr, "trovi: this desktop shows no tray icons; Settings stay reachable "
                             "through the search field's menu, by typing \"settings\", or with "
                             "'trovi --settings'\n");
    }
    const bool wanted = m_showIcon && trayExists;
    if (!wanted) {
        // Later: this may run from the tray's own menu.
        if (m_tray) {
            m_tray->hide();
            m_tray->contextMenu()->deleteLater();
            m_tray->deleteLater();
            m_tray = nullptr;
        }
        return;
    }
    if (m_tray)
        return;
    m_tray = new QSystemTrayIcon(launcherIcon(), this);
    m_tray->setToolTip(QStringLiteral("Trovi Launcher"));
    m_tray->setContextMenu(buildMenu());
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    Q_EMIT toggleRequested();
            });
    m_tray->show();
}

QMenu* LauncherTray::buildMenu() {
    auto* menu = new QMenu(m_menuParent);
    // Rebuilt on every opening, so check marks follow the stored values.
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillMenu(menu); });
    return menu;
}

void LauncherTray::fillMenu(QMenu* menu) {
    menu->clear();
    if (m_showVersionNumber)
        menu->addAction(QStringLiteral("Trovi Launcher %1").arg(m_versionText))->setEnabled(false);
    connect(menu->addAction(QStringLiteral("Show Launcher")), &QAction::triggered, this,
            &LauncherTray::showRequested);
    connect(menu->addAction(QStringLiteral("Settings…")), &QAction::triggered, this,
            &LauncherTray::settingsRequested);
#ifdef Q_OS_MACOS
    const QString onboardingTitle = QStringLiteral("Permission Setup…");
#else
    // Nothing to permit here: the entry reopens the first-start window.
    const QString onboardingTitle = QStringLiteral("Getting Started…");
#endif
    connect(menu->addAction(onboardingTitle), &QAction::triggered, this,
            &LauncherTray::onboardingRequested);
    menu->addSeparator();
    auto toggle = [this, menu](const QString& title, bool checked, auto flip) {
        QAction* action = menu->addAction(title);
        connect(action, &QAction::triggered, this, flip);
        action->setCheckable(true);
        action->setChecked(checked);
    };
    toggle(QStringLiteral("Show Search Snippets"), ShowSnippetsStore(m_preferences).load(),
           [this] { ShowSnippetsStore(m_preferences, &m_notifications).toggle(); });
    toggle(QStringLiteral("Show Version Number"), m_showVersionNumber, [this] {
        VersionVisibilityStore(m_preferences, &m_notifications).save(!m_showVersionNumber);
    });
    toggle(QStringLiteral("Show Tray Icon"), m_showIcon, [this] {
        MenuBarIconVisibilityStore(m_preferences, &m_notifications).save(!m_showIcon);
    });
    menu->addSeparator();
    connect(menu->addAction(QStringLiteral("Quit")), &QAction::triggered, qApp,
            &QCoreApplication::quit);
}

} // namespace trovi
