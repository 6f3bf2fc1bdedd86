// Request lines reach the running launcher from any process of the user;
// answers reach `trovi query` from whatever listens on the socket.
#include "launcher/platform/linux/InstanceRequest.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView line(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)trovi::parseInstanceAnswerBody(line);
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
    return 0;
}
