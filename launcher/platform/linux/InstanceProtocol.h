#pragma once
// What both ends of the per-user launcher socket agree on, in plain C++: the
// small `trovi` front end speaks the protocol without loading Qt.

#include <cstddef>

namespace trovi {

inline constexpr int kInstanceProtocolVersion = 1;
// The private folder below the user's data folder, and the socket inside it.
inline constexpr char kInstanceBundleIdentifier[] = "com.dalvo.trovi-launcher";
inline constexpr char kInstanceSocketName[] = "TroviLauncher.socket";
// How long a sender waits for a starting launcher to listen and answer.
inline constexpr int kInstanceHandOverMilliseconds = 10000;
// Longer lines are not requests: the sender is dropped.
inline constexpr std::ptrdiff_t kMaximumInstanceRequestLine = 64 * 1024;
// Answers are cut here; a status answer stays below it.
inline constexpr std::ptrdiff_t kMaximumInstanceReplyLine = 64 * 1024;
// Twenty result rows with snippets stay far below this.
inline constexpr std::ptrdiff_t kMaximumInstanceAnswer = 4 * 1024 * 1024;

} // namespace trovi
