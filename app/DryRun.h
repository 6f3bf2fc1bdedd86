#pragma once
// Stand-ins for `trovi open --dry-run`: they record what would be opened,
// revealed or copied instead of doing it.

#include "launcher/session/Clipboard.h"
#include "launcher/session/Workspace.h"

#include <QStringList>
#include <QUrl>

#include <optional>

namespace trovi::app {

class DryRunWorkspace final : public Workspace {
public:
    bool open(const QUrl& url) override {
        m_actions.append(QStringLiteral("open ") +
                         (url.isLocalFile() ? url.toLocalFile() : url.toString()));
        return true;
    }
    void reveal(const QString& path) override {
        m_actions.append(QStringLiteral("reveal ") + path);
    }
    const QStringList& actions() const { return m_actions; }

private:
    QStringList m_actions;
};

class DryRunClipboard final : public Clipboard {
public:
    bool setText(const QString& text) override {
        m_text = text;
        return true;
    }
    const std::optional<QString>& text() const { return m_text; }

private:
    std::optional<QString> m_text;
};

} // namespace trovi::app
