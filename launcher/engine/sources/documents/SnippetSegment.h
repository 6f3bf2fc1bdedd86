#pragma once
// SnippetSegment and parseSnippetSegments(): splits a full-text snippet with
// "<mark>…</mark>" markup into plain and highlighted runs for display.

#include <QList>
#include <QString>

namespace trovi {

struct SnippetSegment {
    QString text;
    bool isHighlighted = false;

    bool operator==(const SnippetSegment& other) const = default;
};

// Line feeds become spaces; empty runs are dropped; a stray "</mark>" outside
// a highlight stays in the plain text.
QList<SnippetSegment> parseSnippetSegments(const QString& snippet);

} // namespace trovi
