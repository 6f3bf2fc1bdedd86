#include "EngineBuilder.h"

#include "launcher/clients/translation/TranslationLookup.h"
#include "launcher/platform/linux/Cld2LanguageRecognizer.h"
#include "launcher/platform/linux/DesktopApplicationDiscovery.h"
#include "launcher/platform/linux/InotifyShortcutRootWatcher.h"
#include "launcher/platform/linux/LinuxSettingsPanels.h"

namespace trovi::app {

EngineBuilder::EngineBuilder(Purpose purpose, PreferenceStore& preferences,
                             const QString& homeDirectory)
    : m_configuration(DatabaseManagerConfiguration::standard(homeDirectory)) {
    m_configuration.systemSettingsPanes =
        platform::linuxSystemSettingsPaneSource(m_configuration.desktopApplicationDirectories);
    m_services.preferences = &preferences;
    m_services.installedApplications = &platform::discoverDesktopApplications;
    m_services.languageRecognizer = platform::cld2LanguageRecognizer();
    m_services.translationEngines = std::make_shared<LocalTranslationEngines>();
    if (purpose == Purpose::window)
        m_services.shortcutRootWatcherFactory = &InotifyShortcutRootWatcher::create;
    else
        m_configuration.backgroundRefreshEnabled = false;
}

std::unique_ptr<DatabaseManager> EngineBuilder::build() const {
    return std::make_unique<DatabaseManager>(m_configuration, m_services);
}

} // namespace trovi::app
