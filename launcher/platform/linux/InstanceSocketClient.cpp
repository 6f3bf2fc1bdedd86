#include "launcher/platform/linux/InstanceSocketClient.h"

#include "launcher/platform/linux/InstanceProtocol.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <variant>

namespace trovi {

namespace {

using Clock = std::chrono::steady_clock;
using Outcome = LauncherAnswer::Outcome;

struct Descriptor {
    int fd = -1;
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    Descriptor(Descriptor&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Bounds each blocking call by what is left of the deadline.
void setTimeouts(int fd, Clock::time_point deadline, long minimumMilliseconds) {
    const long left = long(
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
    const long milliseconds = std::max(left, minimumMilliseconds);
    timeval tv{};
    tv.tv_sec = time_t(milliseconds / 1000);
    tv.tv_usec = suseconds_t((milliseconds % 1000) * 1000);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

LauncherAnswer outcome(Outcome what, std::string message) {
    LauncherAnswer answer;
    answer.outcome = what;
    answer.message = std::move(message);
    return answer;
}

// Digits only, and no more than `limit`.
bool parseLength(const std::string& text, long long limit, long long& value) {
    if (text.empty() || text.size() > 12 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::atoll(text.c_str());
    return value <= limit;
}

std::string replaceUnprintable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return text;
}

} // namespace

bool parseLauncherAnswerBody(const std::string& body, LauncherAnswer& answer) {
    const std::size_t lineEnd = body.find('\n');
    const std::size_t space = body.find(' ');
    if (lineEnd == std::string::npos || space == std::string::npos || space > lineEnd)
        return false;
    long long exitStatus = 0, outLength = 0;
    if (!parseLength(body.substr(0, space), 255, exitStatus) ||
        !parseLength(body.substr(space + 1, lineEnd - space - 1),
                     (long long)(body.size() - lineEnd - 1), outLength))
        return false;
    answer.exitStatus = int(exitStatus);
    answer.out = body.substr(lineEnd + 1, std::size_t(outLength));
    answer.err = body.substr(lineEnd + 1 + std::size_t(outLength));
    return true;
}

std::string launcherSocketFolder() {
    std::string base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') {
        base = data;
    } else {
        // As Qt's home path, which the full program uses: "/" without HOME.
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "") + "/.local/share";
    }
    return base + '/' + kInstanceBundleIdentifier;
}

namespace {

// Connected to this user's launcher, with `line` sent; or why not, as an
// answer with its outcome set.
std::variant<Descriptor, LauncherAnswer> connectAndSend(const std::string& folderPath,
                                                        const std::string& name,
                                                        const std::string& line,
                                                        Clock::time_point deadline) {
    Descriptor folder{::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
    if (folder.fd < 0)
        return outcome(Outcome::notListening, std::strerror(errno));
    struct stat info {};
    if (::fstat(folder.fd, &info) != 0 || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)
        return outcome(Outcome::unsafe, "the launcher's folder is not this user's alone");

    Descriptor socket{::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)};
    if (socket.fd < 0)
        return outcome(Outcome::notListening, std::strerror(errno));
    setTimeouts(socket.fd, deadline, 50);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = folderPath + '/' + name;
    // Too long for an address: reach it through the folder's descriptor.
    if (path.size() >= sizeof address.sun_path)
        path = "/proc/self/fd/" + std::to_string(folder.fd) + '/' + name;
    std::memcpy(address.sun_path, path.c_str(), std::min(path.size(), sizeof address.sun_path - 1));
    if (::connect(socket.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return outcome(Outcome::notListening, std::strerror(errno));
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(socket.fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        credentials.uid != ::geteuid())
        return outcome(Outcome::unsafe, "the socket is served by another user");

    const std::string message = line + '\n';
    for (std::size_t sent = 0; sent < message.size();) {
        setTimeouts(socket.fd, deadline, 1);
        const ssize_t count =
            ::send(socket.fd, message.data() + sent, message.size() - sent, MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        // Turned away before reading anything: nothing was applied.
        if (count < 0 && (errno == EPIPE || errno == ECONNRESET))
            return outcome(Outcome::notListening, std::strerror(errno));
        if (count < 0)
            return outcome(Outcome::failed, std::strerror(errno));
        sent += std::size_t(count);
    }
    return socket;
}

} // namespace

LauncherAnswer askRunningLauncher(const std::string& folderPath, const std::string& name,
                                  const std::string& line, Clock::time_point deadline) {
    auto connected = connectAndSend(folderPath, name, line, deadline);
    if (auto* answer = std::get_if<LauncherAnswer>(&connected))
        return std::move(*answer);
    const Descriptor& socket = std::get<Descriptor>(connected);

    std::string received;
    std::size_t headerEnd = std::string::npos;
    std::size_t expected = 0; // the whole exchange, once the header is known
    while (expected == 0 || received.size() < expected) {
        if (Clock::now() >= deadline)
            return outcome(Outcome::failed, "the running launcher did not answer in time");
        setTimeouts(socket.fd, deadline, 1);
        char chunk[65536];
        const ssize_t count = ::recv(socket.fd, chunk, sizeof chunk, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || (count < 0 && errno == ECONNRESET))
            return outcome(Outcome::failed, "the launcher closed the connection");
        if (count < 0)
            return outcome(Outcome::failed, "the running launcher did not answer in time");
        received.append(chunk, std::size_t(count));
        if (headerEnd != std::string::npos)
            continue;
        headerEnd = received.find('\n');
        if (headerEnd == std::string::npos) {
            if (received.size() > 256)
                return outcome(Outcome::failed, "the launcher's answer is malformed");
            continue;
        }
        const std::string header = received.substr(0, headerEnd);
        if (header.rfind("error ", 0) == 0)
            return outcome(Outcome::refused, replaceUnprintable(header.substr(6, 100)));
        long long bodyLength = 0;
        if (header.rfind("ok ", 0) != 0 || !parseLength(header.substr(3), (1LL << 40), bodyLength))
            return outcome(Outcome::failed, "the launcher's answer is malformed");
        // Refused before anything that large is read or kept.
        if (bodyLength > kMaximumInstanceAnswer)
            return outcome(Outcome::failed, "the launcher's answer is too large");
        expected = headerEnd + 1 + std::size_t(bodyLength) + 1;
        received.reserve(expected);
    }
    LauncherAnswer answer;
    if (received[expected - 1] != '\n' ||
        !parseLauncherAnswerBody(received.substr(headerEnd + 1, expected - headerEnd - 2), answer))
        return outcome(Outcome::failed, "the launcher's answer is malformed");
    answer.outcome = Outcome::answered;
    return answer;
}

LauncherAnswer handOverToRunningLauncher(const std::string& folderPath, const std::string& name,
                                         const std::string& line, Clock::time_point deadline) {
    auto connected = connectAndSend(folderPath, name, line, deadline);
    if (auto* answer = std::get_if<LauncherAnswer>(&connected))
        return std::move(*answer);
    const Descriptor& socket = std::get<Descriptor>(connected);
    // Once sent, the answer gets a few seconds even past the deadline: a busy
    // launcher may read the line late, and a resend would apply it twice.
    setTimeouts(socket.fd, deadline, 5000);
    std::string reply;
    while (reply.find('\n') == std::string::npos &&
           reply.size() < std::size_t(kMaximumInstanceReplyLine)) {
        char chunk[4096];
        const ssize_t count = ::recv(socket.fd, chunk, sizeof chunk, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || (count < 0 && errno == ECONNRESET))
            return outcome(Outcome::notListening, "the launcher closed the connection");
        if (count < 0)
            return outcome(Outcome::failed, "the running launcher did not answer");
        reply.append(chunk, std::size_t(count));
    }
    reply = reply.substr(0, reply.find('\n'));
    if (reply == "ok" || reply.rfind("ok ", 0) == 0) {
        LauncherAnswer answer;
        answer.outcome = Outcome::answered;
        answer.out = reply.size() > 3 ? reply.substr(3) : std::string();
        return answer;
    }
    return outcome(Outcome::refused, replaceUnprintable(reply.substr(0, 200)));
}

} // namespace trovi
