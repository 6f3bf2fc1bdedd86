#pragma once
// The line a second launch (or `trovi config`) sends to the running launcher:
//   trovi/1 launch {"arguments":[…],"fileURLs":[…],"createdAt":"…"}
//   trovi/1 notify <notification name>
//   trovi/1 query ["--json","text",…]     (`trovi query`'s arguments)
//   trovi/1 open ["--index","2","text",…] (`trovi open`'s arguments)
//   trovi/1 status
// The running launcher answers one line: "ok" or "error <reason>"; a status
// request is answered "ok <JSON object>". A command (query, open) is answered
// when it has run, with a framed body instead:
//   ok <length>\n<length bytes>
// where the body is "<exit status> <stdout length>\n<stdout bytes><stderr bytes>",
// what the command would have printed. Bodies above kMaximumInstanceAnswer are
// refused ("error answer-too-large") by the launcher and by the client. The
// version and the verb let later requests travel on the same socket.

#include "launcher/platform/linux/InstanceProtocol.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <variant>

namespace trovi {

struct DuplicateLaunchRequest {
    QStringList arguments;
    QList<QUrl> fileURLs;
    QDateTime createdAt;
    // The second launch's XDG_ACTIVATION_TOKEN: on Wayland the window may take
    // focus with it. Empty when the launch had none.
    QString activationToken;

    friend bool operator==(const DuplicateLaunchRequest&, const DuplicateLaunchRequest&) = default;
};

struct InstanceNotification {
    QString name;

    friend bool operator==(const InstanceNotification&, const InstanceNotification&) = default;
};

// A command-line command run by the running launcher for the process that sends it.
struct InstanceCommand {
    QString verb; // "query" or "open"
    QStringList arguments;

    friend bool operator==(const InstanceCommand&, const InstanceCommand&) = default;
};

// What the running launcher's window shows, for scripts and status bars.
struct InstanceStatusRequest {
    friend bool operator==(const InstanceStatusRequest&, const InstanceStatusRequest&) = default;
};

using InstanceRequest = std::variant<DuplicateLaunchRequest, InstanceNotification, InstanceCommand,
                                     InstanceStatusRequest>;

// Why a line was refused; sent back as "error <reason>".
struct InstanceRequestRefusal {
    QByteArray reason;
};

// Without the line feed.
QByteArray encodeInstanceRequest(const InstanceRequest& request);
std::variant<InstanceRequest, InstanceRequestRefusal> parseInstanceRequest(QByteArrayView line);

inline constexpr char kInstanceReplyOk[] = "ok";

// What a command printed, and its exit status.
struct InstanceCommandOutput {
    int exitStatus = 0;
    QByteArray out;
    QByteArray err;

    friend bool operator==(const InstanceCommandOutput&, const InstanceCommandOutput&) = default;
};

// The whole reply, framing included, without a trailing line feed.
QByteArray encodeInstanceAnswer(const InstanceCommandOutput& output);

} // namespace trovi
