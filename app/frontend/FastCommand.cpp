#include "FastCommand.h"

#include "launcher/platform/linux/InstanceProtocol.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace trovi::frontend {

namespace {

bool isNumber(const std::string& text, bool fraction) {
    return text.find_first_of("0123456789") != std::string::npos && text.size() <= 12 &&
           text.find_first_not_of(fraction ? "0123456789." : "0123456789") == std::string::npos;
}

// "--wait S", "--wait=S", "--no-wait": the seconds, or nothing when it is not
// plainly a number (the full parser explains). `i` moves past a separate value.
std::optional<double> waitOption(const std::vector<std::string>& args, std::size_t& i,
                                 double limit) {
    const std::string& arg = args[i];
    if (arg == "--no-wait")
        return 0.0;
    std::string value;
    if (arg.rfind("--wait=", 0) == 0)
        value = arg.substr(7);
    else if (i + 1 < args.size())
        value = args[++i];
    if (!isNumber(value, true))
        return std::nullopt;
    const double seconds = std::strtod(value.c_str(), nullptr);
    if (!std::isfinite(seconds) || seconds > limit)
        return std::nullopt;
    return seconds;
}

bool isWaitOption(const std::string& arg) {
    return arg == "--no-wait" || arg == "--wait" || arg.rfind("--wait=", 0) == 0;
}

} // namespace

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = c < 0x80           ? 1
                             : (c >> 5) == 0x6  ? 2
                             : (c >> 4) == 0xE  ? 3
                             : (c >> 3) == 0x1E ? 4
                                                : 0;
        if (length == 0 || i + length > text.size() || (length == 2 && c < 0xC2) ||
            (length == 4 && c > 0xF4))
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        const auto second = static_cast<unsigned char>(text[i + 1 < text.size() ? i + 1 : i]);
        // Overlong three- and four-byte forms, UTF-16 surrogates, past U+10FFFF.
        if ((length == 3 && c == 0xE0 && second < 0xA0) ||
            (length == 3 && c == 0xED && second > 0x9F) ||
            (length == 4 && c == 0xF0 && second < 0x90) ||
            (length == 4 && c == 0xF4 && second > 0x8F))
            return false;
        i += length;
    }
    return true;
}

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + '"';
}

std::optional<FastCommand> fastCommand(const std::vector<std::string>& arguments) {
    if (arguments.empty() || (arguments[0] != "query" && arguments[0] != "open"))
        return std::nullopt;
    FastCommand command;
    command.verb = arguments[0];
    command.repeatable = command.verb == "query";
    command.arguments.assign(arguments.begin() + 1, arguments.end());
    const auto& args = command.arguments;
    bool optionsEnded = false;
    bool hasText = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!isUtf8(arg))
            return std::nullopt;
        if (optionsEnded || arg.rfind("--", 0) != 0) {
            hasText = true;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
        } else if (isWaitOption(arg)) {
            // `open` takes any wait; `query` at most an hour.
            const auto seconds = waitOption(args, i, command.verb == "query" ? 3600 : 1e9);
            if (!seconds)
                return std::nullopt;
            command.waitSeconds = *seconds;
        } else if (command.verb == "query" && arg == "--json") {
        } else if (command.verb == "open" && (arg == "--reveal" || arg == "--dry-run")) {
        } else if (command.verb == "open" && arg.rfind("--index=", 0) == 0) {
            if (!isNumber(arg.substr(8), false))
                return std::nullopt;
        } else if (command.verb == "open" && arg == "--index") {
            if (++i >= args.size() || !isNumber(args[i], false))
                return std::nullopt;
        } else {
            return std::nullopt; // --standalone, --help, or a mistake
        }
    }
    if (!hasText)
        return std::nullopt;
    return command;
}

std::optional<std::string> launchRequest(const std::vector<std::string>& arguments,
                                         std::string_view activationToken,
                                         std::chrono::system_clock::time_point now) {
    // A toggle sends no arguments; the others send their one option.
    if (arguments.size() > 1 || !isUtf8(activationToken) ||
        (arguments.size() == 1 && arguments[0] != "--show" && arguments[0] != "--hide" &&
         arguments[0] != "--settings"))
        return std::nullopt;
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const std::time_t seconds = std::time_t(milliseconds / 1000);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char createdAt[80];
    std::snprintf(createdAt, sizeof createdAt, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ",
                  utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                  utc.tm_sec, int(milliseconds % 1000));
    std::string line =
        "trovi/" + std::to_string(kInstanceProtocolVersion) + " launch {\"arguments\":[";
    if (!arguments.empty())
        line += jsonString(arguments[0]);
    line += "],\"fileURLs\":[],\"createdAt\":\"" + std::string(createdAt) + '"';
    if (!activationToken.empty())
        line += ",\"activationToken\":" + jsonString(activationToken);
    return line + '}';
}

std::string encodeRequest(const FastCommand& command) {
    std::string line =
        "trovi/" + std::to_string(kInstanceProtocolVersion) + ' ' + command.verb + " [";
    for (std::size_t i = 0; i < command.arguments.size(); ++i) {
        if (i > 0)
            line += ',';
        line += jsonString(command.arguments[i]);
    }
    return line + ']';
}

} // namespace trovi::frontend
