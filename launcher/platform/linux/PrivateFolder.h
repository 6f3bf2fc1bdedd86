#pragma once
// A folder only this user can enter: created 0700 when missing; refused when it
// is a link or belongs to another user; a looser mode of our own is tightened.
// Files made inside it (the lock, the socket) cannot be made or swapped by
// anyone else.

#include <QString>

#include <variant>

namespace trovi {

class PrivateFolder {
public:
    // An opened folder, or a message saying why it cannot be used.
    static std::variant<PrivateFolder, QString> open(const QString& path);

    PrivateFolder(PrivateFolder&& other) noexcept;
    PrivateFolder& operator=(PrivateFolder&& other) noexcept;
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    ~PrivateFolder();

    int descriptor() const { return m_descriptor; }
    const QString& path() const { return m_path; }
    // A path naming `name` inside the folder that fits a socket address: the
    // plain one, else one through this process's descriptor of the folder.
    QByteArray socketAddress(const QString& name) const;

private:
    PrivateFolder(int descriptor, QString path);
    int m_descriptor = -1;
    QString m_path;
};

} // namespace trovi
