#pragma once
// A Notion page as the search API describes it, reduced to what a result row
// shows.

#include <QDateTime>
#include <QString>

#include <optional>

namespace trovi {

struct NotionPageIcon {
    enum class Kind { emoji, external };
    Kind kind = Kind::emoji;
    QString value; // the emoji text, or the external image's address

    bool operator==(const NotionPageIcon&) const = default;
};

struct NotionPage {
    QString id;    // as the API returns it, usually a hyphenated UUID
    QString title; // never empty
    QString url;   // the page's web address as returned
    std::optional<NotionPageIcon> icon;
    std::optional<QDateTime> lastEditedTime;
};

} // namespace trovi
