#pragma once
// The one place the launcher's engine is assembled on Linux, for the window
// and for the command line alike: the standard configuration for a home
// folder, the platform's parts (desktop applications and settings panes,
// CLD2, inotify for the window) and one set of translation engines that the
// owner shares with the window and stops at exit. Tests change parts through
// configuration() and services() before build().

#include "launcher/engine/manager/DatabaseManager.h"

#include <QDir>
#include <QString>

#include <memory>

namespace trovi {
class NotificationCenter;
class PreferenceStore;
} // namespace trovi

namespace trovi::app {

class EngineBuilder {
public:
    // The window keeps its catalogues fresh in the background and watches the
    // shortcut roots; the command line answers one query and leaves.
    enum class Purpose { window, commandLine };

    EngineBuilder(Purpose purpose, PreferenceStore& preferences,
                  const QString& homeDirectory = QDir::homePath());

    DatabaseManagerConfiguration& configuration() { return m_configuration; }
    DatabaseManagerServices& services() { return m_services; }
    // The engines the built manager translates with.
    std::shared_ptr<TranslationEngines> translationEngines() const {
        return m_services.translationEngines;
    }

    std::unique_ptr<DatabaseManager> build() const;

private:
    DatabaseManagerConfiguration m_configuration;
    DatabaseManagerServices m_services;
};

} // namespace trovi::app
