#include "launcher/platform/linux/InstanceRequest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace trovi {

namespace {

constexpr QByteArrayView kLaunchVerb = "launch";
constexpr QByteArrayView kNotifyVerb = "notify";
constexpr QByteArrayView kCommandVerbs[] = {"query", "open"};
constexpr QByteArrayView kStatusVerb = "status";

QByteArray header() {
    return "trovi/" + QByteArray::number(kInstanceProtocolVersion) + ' ';
}

InstanceRequestRefusal refusal(const char* reason) {
    return InstanceRequestRefusal{QByteArray(reason)};
}

std::variant<InstanceRequest, InstanceRequestRefusal> parseLaunch(QByteArrayView payload) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return refusal("malformed-launch");
    const QJsonObject object = document.object();
    const QJsonValue arguments = object.value(QStringLiteral("arguments"));
    const QJsonValue urls = object.value(QStringLiteral("fileURLs"));
    DuplicateLaunchRequest request;
    request.createdAt = QDateTime::fromString(object.value(QStringLiteral("createdAt")).toString(),
                                              Qt::ISODateWithMs);
    const QJsonValue token = object.value(QStringLiteral("activationToken"));
    if (!arguments.isArray() || !urls.isArray() || !request.createdAt.isValid() ||
        !(token.isUndefined() || token.isString()))
        return refusal("malformed-launch");
    request.activationToken = token.toString();
    for (const QJsonValue& value : arguments.toArray()) {
        if (!value.isString())
            return refusal("malformed-launch");
        request.arguments.append(value.toString());
    }
    for (const QJsonValue& value : urls.toArray()) {
        const QUrl url(value.toString(), QUrl::StrictMode);
        if (!value.isString() || !url.isValid())
            return refusal("malformed-launch");
        request.fileURLs.append(url);
    }
    return request;
}

std::variant<InstanceRequest, InstanceRequestRefusal> parseCommand(QByteArrayView verb,
                                                                   QByteArrayView payload) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(payload.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return refusal("malformed-command");
    InstanceCommand command{QString::fromLatin1(verb), {}};
    for (const QJsonValue& value : document.array()) {
        if (!value.isString())
            return refusal("malformed-command");
        command.arguments.append(value.toString());
    }
    return command;
}

} // namespace

QByteArray encodeInstanceAnswer(const InstanceCommandOutput& output) {
    const QByteArray body = QByteArray::number(output.exitStatus) + ' ' +
                            QByteArray::number(output.out.size()) + '\n' + output.out + output.err;
    return kInstanceReplyOk + QByteArray(" ") + QByteArray::number(body.size()) + '\n' + body;
}

QByteArray encodeInstanceRequest(const InstanceRequest& request) {
    if (const auto* notification = std::get_if<InstanceNotification>(&request))
        return header() + kNotifyVerb.toByteArray() + ' ' + notification->name.toUtf8();
    if (const auto* command = std::get_if<InstanceCommand>(&request))
        return header() + command->verb.toUtf8() + ' ' +
               QJsonDocument(QJsonArray::fromStringList(command->arguments))
                   .toJson(QJsonDocument::Compact);
    if (std::holds_alternative<InstanceStatusRequest>(request))
        return header() + kStatusVerb.toByteArray();
    const auto& launch = std::get<DuplicateLaunchRequest>(request);
    QJsonArray urls;
    for (const QUrl& url : launch.fileURLs)
        urls.append(url.toString(QUrl::FullyEncoded));
    QJsonObject object{
        {QStringLiteral("arguments"), QJsonArray::fromStringList(launch.arguments)},
        {QStringLiteral("fileURLs"), urls},
        {QStringLiteral("createdAt"), launch.createdAt.toUTC().toString(Qt::ISODateWithMs)},
    };
    if (!launch.activationToken.isEmpty())
        object.insert(QStringLiteral("activationToken"), launch.activationToken);
    return header() + kLaunchVerb.toByteArray() + ' ' +
           QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::variant<InstanceRequest, InstanceRequestRefusal> parseInstanceRequest(QByteArrayView line) {
    if (line.size() > kMaximumInstanceRequestLine)
        return refusal("too-long");
    if (!line.startsWith("trovi/"))
        return refusal("not-a-request");
    const qsizetype versionEnd = line.indexOf(' ');
    bool numeric = false;
    const int version =
        line.sliced(6, (versionEnd < 0 ? line.size() : versionEnd) - 6).toInt(&numeric);
    if (!numeric || version != kInstanceProtocolVersion)
        return refusal("unsupported-version");
    if (versionEnd < 0)
        return refusal("unknown-verb");
    const QByteArrayView rest = line.sliced(versionEnd + 1);
    const qsizetype verbEnd = rest.indexOf(' ');
    const QByteArrayView verb = verbEnd < 0 ? rest : rest.first(verbEnd);
    const QByteArrayView payload = verbEnd < 0 ? QByteArrayView() : rest.sliced(verbEnd + 1);
    if (verb == kLaunchVerb)
        return parseLaunch(payload);
    for (QByteArrayView commandVerb : kCommandVerbs)
        if (verb == commandVerb)
            return parseCommand(verb, payload);
    if (verb == kNotifyVerb) {
        const QString name = QString::fromUtf8(payload);
        // Names are identifiers: control characters or stray bytes mean garbage.
        const bool clean = !name.isEmpty() && name.toUtf8() == payload &&
                           std::all_of(name.cbegin(), name.cend(),
                                       [](QChar c) { return c.isPrint() && !c.isSpace(); });
        if (!clean)
            return refusal("malformed-notify");
        return InstanceNotification{name};
    }
    if (verb == kStatusVerb) {
        if (verbEnd >= 0)
            return refusal("malformed-status");
        return InstanceStatusRequest{};
    }
    return refusal("unknown-verb");
}

} // namespace trovi
