#pragma once
// Every preference the launcher keeps, one entry per key: its type, its
// default, the notification that announces a change, whether it is a secret,
// and how a value given as text is checked, normalised and stored. The typed
// stores take their defaults and notifications from here, and `trovi config`
// lists, reads and writes every key through it.

#include "launcher/settings/PreferenceStore.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

namespace trovi {

enum class PreferenceType { boolean, integer, real, string, stringList };

// What storing a value given as text did.
struct PreferenceWrite {
    enum class Status { stored, adjusted, refused };
    Status status = Status::stored;
    QString message; // adjusted: what was stored instead; refused: why

    static PreferenceWrite stored() { return {}; }
    static PreferenceWrite adjusted(QString note) { return {Status::adjusted, std::move(note)}; }
    static PreferenceWrite refused(QString reason) { return {Status::refused, std::move(reason)}; }
    // "'value' is not <what>"
    static PreferenceWrite notA(const QString& what, const QString& value);
};

struct PreferenceDefinition {
    using Read = std::function<std::optional<QString>(PreferenceStore&)>;
    using Write = std::function<PreferenceWrite(PreferenceStore&, const QString&)>;

    QString key;
    PreferenceType type = PreferenceType::boolean;
    QVariant defaultValue; // invalid: the key has no default and reads as unset
    QString notification;  // empty: nothing observes the key
    bool secret = false;
    // The value as text; nullopt when unset.
    Read read;
    // Checks and stores a value given as text; empty for a key only the
    // launcher itself writes.
    Write write;
};

// An ordered table of definitions, one per key.
class PreferenceRegistry {
public:
    PreferenceRegistry() = default;
    explicit PreferenceRegistry(QList<PreferenceDefinition> definitions)
        : m_definitions(std::move(definitions)) {}

    const QList<PreferenceDefinition>& definitions() const { return m_definitions; }
    const PreferenceDefinition* find(const QString& key) const;
    // Replaces how one key is read and written, for keys whose rules belong to
    // a store above this layer. An empty function keeps the current one.
    void setAccess(const QString& key, PreferenceDefinition::Read read,
                   PreferenceDefinition::Write write);

private:
    QList<PreferenceDefinition> m_definitions;
};

// Every launcher preference, in the order `trovi config list` shows them, with
// the reading and writing rules of this layer's stores.
const PreferenceRegistry& launcherPreferenceDefinitions();
// The definition of a key in that table; the key must be one of them.
const PreferenceDefinition& preferenceDefinition(const QString& key);

// Text forms shared by every key of a type.
std::optional<bool> parsePreferenceBool(const QString& text);
QString preferenceBoolText(bool value);
std::optional<qint64> parsePreferenceInteger(const QString& text);
std::optional<double> parsePreferenceReal(const QString& text);

} // namespace trovi
