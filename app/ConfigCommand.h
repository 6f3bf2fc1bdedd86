#pragma once
// `trovi config get|set|list`: the preference table's keys read and written
// through their stores, so a value set here obeys the same validation and
// clamping as one set in the settings window. A value of "-" is read from
// standard input, which keeps a secret out of the process list.

#include <QString>

#include <functional>

namespace trovi {
class PreferenceStore;
}

namespace trovi::app {

struct ConfigCommand {
    enum class Action { list, get, set };
    Action action = Action::list;
    QString key;
    QString value;
};

// Returns the exit status: 0, 1 for a value the key refuses, 2 for an unknown
// key. `notify` receives the change notification of a key that was set.
int runConfigCommand(const ConfigCommand& command, PreferenceStore& preferences,
                     const std::function<void(const QString& notification)>& notify);

} // namespace trovi::app
