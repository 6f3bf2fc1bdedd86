#pragma once
// Recording stand-ins for the workspace and the clipboard, so activation can be
// checked call by call without a desktop.

#include "launcher/session/Clipboard.h"
#include "launcher/session/Workspace.h"

#include <QSet>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace trovi::test {

class RecordingWorkspace : public Workspace {
public:
    bool open(const QUrl& url) override {
        opened.append(url.toString());
        return !refused.contains(url.toString());
    }
    void reveal(const QString& path) override { revealed.append(path); }

    QStringList opened;   // every open request, in order, refused ones too
    QStringList revealed; // every reveal request
    QSet<QString> refused;
};

class RecordingClipboard : public Clipboard {
public:
    bool setText(const QString& value) override {
        ++writes;
        if (!available)
            return false;
        text = value;
        return true;
    }

    bool available = true;
    int writes = 0;
    std::optional<QString> text;
};

} // namespace trovi::test
