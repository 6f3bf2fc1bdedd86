#pragma once
// Workspace: the desktop service that opens URLs, files, folders and
// applications, and shows a file selected in the file browser. Activation talks
// to it only through this interface, so it runs without a desktop in tests.

#include <QString>
#include <QUrl>

namespace trovi {

class Workspace {
public:
    virtual ~Workspace() = default;

    // Opens a URL, or the file, folder or application a file URL names.
    // False when the request could not even be handed to the system.
    virtual bool open(const QUrl& url) = 0;

    // Shows the item at the absolute path selected in the file browser.
    virtual void reveal(const QString& path) = 0;
};

} // namespace trovi
