#pragma once
// NotificationCenter: named in-process notifications with a small payload.
// Post from any thread; observers always run on the application's main thread.
// observe() hands back a NotificationToken that unregisters when destroyed.

#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>

namespace trovi {

namespace detail {
struct NotificationRegistry;
}

// Keeps one observer registered. Move-only; destroying or reset()ting it
// unregisters the observer. After reset() returns the observer is not called
// again; if it is running on the main thread at that moment, reset() from
// another thread waits for that call to finish.
class [[nodiscard]] NotificationToken {
public:
    NotificationToken() = default;
    NotificationToken(NotificationToken&& other) noexcept;
    NotificationToken& operator=(NotificationToken&& other) noexcept;
    NotificationToken(const NotificationToken&) = delete;
    NotificationToken& operator=(const NotificationToken&) = delete;
    ~NotificationToken();

    void reset();
    bool isActive() const;

private:
    friend class NotificationCenter;
    NotificationToken(std::weak_ptr<detail::NotificationRegistry> registry, quint64 id);

    std::weak_ptr<detail::NotificationRegistry> m_registry;
    quint64 m_id = 0;
};

class NotificationCenter {
public:
    using Observer = std::function<void(const QVariantMap& payload)>;

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // The launcher's shared centre.
    static NotificationCenter& defaultCenter();

    // Delivers `payload` to every observer of `name`. On the main thread the
    // observers run before post() returns; from any other thread the delivery
    // is queued to the main thread's event loop. Without an application
    // object there is no main loop, so observers run on the posting thread.
    void post(const QString& name, const QVariantMap& payload = {});

    NotificationToken observe(const QString& name, Observer observer);

private:
    std::shared_ptr<detail::NotificationRegistry> m_registry;
};

} // namespace trovi
