// Request lines reach the running launcher from any process of the user;
// answers reach `trovi query` from whatever listens on the socket; the front
// end encodes whatever command line it is given.
#include "app/frontend/FastCommand.h"
#include "launcher/platform/linux/InstanceRequest.h"
#include "launcher/platform/linux/InstanceSocketClient.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    trovi::LauncherAnswer answer;
    if (trovi::parseLauncherAnswerBody(bytes, answer) &&
        answer.out.size() + answer.err.size() >= bytes.size())
        __builtin_trap(); // the header is never part of the output

    const QByteArrayView line(bytes.data(), qsizetype(size));
    const auto parsed = trovi::parseInstanceRequest(line);
    if (const auto* request = std::get_if<trovi::InstanceRequest>(&parsed)) {
        // What was taken is sent again unchanged: it must read back the same.
        const QByteArray again = trovi::encodeInstanceRequest(*request);
        if (again.contains('\n'))
            __builtin_trap(); // one request, one line
        const auto reparsed = trovi::parseInstanceRequest(again);
        if (!std::holds_alternative<trovi::InstanceRequest>(reparsed))
            __builtin_trap();
    }

    // The input as a command line, words split at NUL: whatever the front end
    // hands over, the launcher reads back as exactly those words.
    std::vector<std::string> words;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i)
        if (i == size || bytes[i] == '\0') {
            words.push_back(bytes.substr(start, i - start));
            start = i + 1;
        }
    if (const auto command = trovi::frontend::fastCommand(words)) {
        const auto read = trovi::parseInstanceRequest(
            QByteArray::fromStdString(trovi::frontend::encodeRequest(*command)));
        const auto* request = std::get_if<trovi::InstanceRequest>(&read);
        const auto* sent = request ? std::get_if<trovi::InstanceCommand>(request) : nullptr;
        if (!sent || sent->arguments.size() != qsizetype(command->arguments.size()))
            __builtin_trap();
        for (std::size_t i = 0; i < command->arguments.size(); ++i)
            if (sent->arguments.at(qsizetype(i)).toStdString() != command->arguments[i])
                __builtin_trap();
    }
    return 0;
}
