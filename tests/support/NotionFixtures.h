#pragma once
// A Notion search answer (fixtures/notion/search.json) with the cases that
// matter: an emoji icon and a date with fractional seconds, an external icon
// and a date without them, an empty title, a page without an address, and a
// title in two non-ASCII parts.

#include "tests/support/Files.h"

namespace trovi::test {

inline constexpr auto kRoadmapPageID = "0123abcd-0000-4000-8000-00000000000a";
inline const QString kNotionTestToken = QStringLiteral("ntn_SECRET_test_token_4242");
// The HTTP module as built beside app/trovi; tests run from elsewhere.
inline const QString kNotionTestModule =
    QStringLiteral(TROVI_BINARY_DIR "/app/libtrovi-notion-http.so");

inline QByteArray notionTestResponse() {
    return readFile(TROVI_FIXTURES_DIR "/notion/search.json");
}

} // namespace trovi::test
