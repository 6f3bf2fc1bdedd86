#pragma once
// SqlitePreferenceStore: the user's preferences in one SQLite file, shared
// safely by several launcher processes (WAL, one transaction per write, reads
// always from the file). An unreadable file is moved aside, never deleted.

#include "db/SqliteDatabase.h"
#include "launcher/settings/PreferenceStore.h"

#include <QString>

#include <memory>
#include <mutex>

namespace trovi {

class SqlitePreferenceStore final : public PreferenceStore {
public:
    // $XDG_CONFIG_HOME/trovi-launcher/preferences.sqlite3, with ~/.config when
    // XDG_CONFIG_HOME is unset or not absolute.
    static QString defaultPath();

    // Opens or creates the store at `path` (its folder too). A file there that
    // is not a preference store is renamed to "<path>.corrupt-<yyyyMMdd-HHmmss>"
    // with one line on stderr, and a fresh store takes its place. Returns null
    // with a readable message when the file cannot be used at all.
    static std::unique_ptr<SqlitePreferenceStore> open(const QString& path,
                                                       QString* errorMessage = nullptr);

    ~SqlitePreferenceStore() override;

    // A value that cannot be read or decoded is absent. Failed writes print one
    // line to stderr ("Failed to save preference: …") and change nothing.
    std::optional<QCborValue> value(const QString& key) const override;
    void setValue(const QString& key, const QCborValue& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    void update(const QString& key, const Change& change) override;

    const QString& path() const { return m_path; }

private:
    SqlitePreferenceStore(QString path, db::Connection connection);
    std::optional<QCborValue> valueLocked(const QString& key) const;
    std::optional<db::SqliteError> upsertLocked(const QString& key, const QByteArray& encoded);

    QString m_path;
    mutable std::mutex m_mutex; // guards the connection and its statements
    mutable db::Connection m_connection;
    mutable db::Statement m_select;
    db::Statement m_upsert;
    db::Statement m_delete;
    mutable db::Statement m_keys;
};

} // namespace trovi
