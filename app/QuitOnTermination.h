#pragma once
// Turns SIGTERM, SIGINT and SIGHUP (a logout, a service manager, Ctrl+C) into
// an ordinary quit of the event loop, so the launcher shuts down in order and
// its helper processes end with it instead of being left behind.

#include <QObject>

class QSocketNotifier;

namespace trovi::app {

class QuitOnTermination : public QObject {
public:
    explicit QuitOnTermination(QObject* parent = nullptr);
    ~QuitOnTermination() override;

private:
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace trovi::app
