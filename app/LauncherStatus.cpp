#include "LauncherStatus.h"

#include "TerminalOutput.h"

#include "launcher/platform/linux/InstanceRequestClient.h"
#include "launcher/platform/linux/SingleInstance.h"
#include "launcher/session/ContentView.h"
#include "launcher/shell/LauncherWindow.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QScreen>

#include <cstdio>

namespace trovi::app {

namespace {

// Keeps the answer well below the protocol's line limit whatever was pasted.
constexpr qsizetype kMaximumReportedQuery = 8000;

} // namespace

QByteArray launcherStatusJson(const LauncherWindow& window) {
    const SearchState& search = window.contentView().search();
    const QScreen* screen = window.screen();
    const QRect screenGeometry = screen ? screen->geometry() : QRect();
    QJsonValue selected = QJsonValue::Null;
    if (search.selectedIndex && *search.selectedIndex >= 0 &&
        *search.selectedIndex < search.results.size())
        selected = search.results.at(*search.selectedIndex).displayName();
    const QRect frame = window.geometry();
    const QJsonObject status{
        {QStringLiteral("running"), true},
        {QStringLiteral("visible"), window.isVisible()},
        {QStringLiteral("active"), window.isVisible() && window.isActiveWindow()},
        {QStringLiteral("x"), frame.x()},
        {QStringLiteral("y"), frame.y()},
        {QStringLiteral("width"), frame.width()},
        {QStringLiteral("height"), frame.height()},
        {QStringLiteral("screenWidth"), screenGeometry.width()},
        {QStringLiteral("screenHeight"), screenGeometry.height()},
        {QStringLiteral("query"), search.query.left(kMaximumReportedQuery)},
        {QStringLiteral("rows"), int(search.results.size())},
        {QStringLiteral("selected"), selected},
    };
    return QJsonDocument(status).toJson(QJsonDocument::Compact);
}

int runStatusCommand(const StatusCommand& command) {
    const SingleInstanceConfiguration configuration = SingleInstanceConfiguration::standard();
    const InstanceDelivery delivery = deliverInstanceRequest(
        configuration.lockDirectory(), configuration.socketName(),
        encodeInstanceRequest(InstanceStatusRequest{}), QDeadlineTimer(5000));
    QJsonObject status{{QStringLiteral("running"), false}};
    if (delivery.outcome == InstanceDelivery::Outcome::delivered) {
        const QJsonDocument answer = QJsonDocument::fromJson(delivery.message.toUtf8());
        if (!answer.isObject()) {
            printLine(stderr, QStringLiteral("trovi: the running launcher sent an unreadable "
                                             "status"));
            return 1;
        }
        status = answer.object();
    } else if (delivery.outcome != InstanceDelivery::Outcome::notListening) {
        printLine(stderr, QStringLiteral("trovi: ") + delivery.message);
        return 1;
    }
    if (command.json) {
        std::fprintf(stdout, "%s\n",
                     QJsonDocument(status).toJson(QJsonDocument::Compact).constData());
        return 0;
    }
    if (!status.value(QStringLiteral("running")).toBool()) {
        printLine(stdout, QStringLiteral("not running"));
        return 0;
    }
    const auto yesNo = [&](const char* key) {
        return status.value(QLatin1StringView(key)).toBool() ? QStringLiteral("yes")
                                                             : QStringLiteral("no");
    };
    const auto number = [&](const char* key) {
        return QString::number(status.value(QLatin1StringView(key)).toInt());
    };
    printLine(stdout,
              QStringLiteral("visible: %1, active: %2").arg(yesNo("visible"), yesNo("active")));
    printLine(stdout, QStringLiteral("window: %1x%2 at %3,%4 on a %5x%6 screen")
                          .arg(number("width"), number("height"), number("x"), number("y"),
                               number("screenWidth"), number("screenHeight")));
    printLine(stdout, QStringLiteral("query: \"%1\", %2 rows")
                          .arg(status.value(QStringLiteral("query")).toString(), number("rows")));
    const QJsonValue selected = status.value(QStringLiteral("selected"));
    if (selected.isString())
        printLine(stdout, QStringLiteral("selected: ") + selected.toString());
    return 0;
}

} // namespace trovi::app
