#pragma once
// The commands the `trovi` front end can hand to the running launcher without
// loading the full program: a second launch, `query` and `open`, recognised
// conservatively.
// Anything it is unsure of (help, --standalone, an option it does not know, a
// malformed --wait, text that is not UTF-8) is left to the full program, which
// parses the command line itself and explains any mistake.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trovi::frontend {

struct FastCommand {
    std::string verb; // "query" or "open"
    std::vector<std::string> arguments;
    double waitSeconds = 4.0;
    // An open that may have run is never repeated in this process.
    bool repeatable = true;
};

// `arguments` are the command line after the program name.
std::optional<FastCommand> fastCommand(const std::vector<std::string>& arguments);

// The request line, without its line feed: trovi/1 <verb> ["arg",…]
std::string encodeRequest(const FastCommand& command);

// A second launch (no arguments, --show, --hide or --settings): the request
// line handing it to the running launcher, or nothing for anything else.
std::optional<std::string> launchRequest(const std::vector<std::string>& arguments,
                                         std::string_view activationToken,
                                         std::chrono::system_clock::time_point now);

// A JSON string literal for UTF-8 text.
std::string jsonString(std::string_view text);
bool isUtf8(std::string_view text);

} // namespace trovi::frontend
