#include "launcher/settings/NotificationCenter.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <map>
#include <mutex>
#include <vector>

namespace trovi {

namespace detail {

struct ObserverEntry {
    QString name;
    NotificationCenter::Observer observer;
    // Held while the observer runs, so that unregistering from another thread
    // waits for a running call; recursive so that an observer may drop its
    // own token.
    std::recursive_mutex callMutex;
    bool active = true; // guarded by callMutex
};

struct NotificationRegistry {
    std::mutex mutex;
    quint64 nextID = 1;
    std::map<quint64, std::shared_ptr<ObserverEntry>> entries;

    std::vector<std::shared_ptr<ObserverEntry>> observersOf(const QString& name) {
        std::lock_guard lock(mutex);
        std::vector<std::shared_ptr<ObserverEntry>> result;
        for (const auto& [id, entry] : entries)
            if (entry->name == name)
                result.push_back(entry);
        return result;
    }

    void unregister(quint64 id) {
        std::shared_ptr<ObserverEntry> entry;
        {
            std::lock_guard lock(mutex);
            auto it = entries.find(id);
            if (it == entries.end())
                return;
            entry = std::move(it->second);
            entries.erase(it);
        }
        std::lock_guard callLock(entry->callMutex);
        entry->active = false;
    }
};

} // namespace detail

namespace {

void deliver(detail::NotificationRegistry& registry, const QString& name,
             const QVariantMap& payload) {
    // The list is taken when the delivery runs, so observers removed while it
    // was queued are skipped; `active` covers removals during this loop.
    for (const auto& entry : registry.observersOf(name)) {
        std::lock_guard callLock(entry->callMutex);
        if (entry->active)
            entry->observer(payload);
    }
}

} // namespace

// ---- NotificationToken ----------------------------------------------------

NotificationToken::NotificationToken(std::weak_ptr<detail::NotificationRegistry> registry,
                                     quint64 id)
    : m_registry(std::move(registry)), m_id(id) {}

NotificationToken::NotificationToken(NotificationToken&& other) noexcept
    : m_registry(std::move(other.m_registry)), m_id(std::exchange(other.m_id, 0)) {}

NotificationToken& NotificationToken::operator=(NotificationToken&& other) noexcept {
    if (this != &other) {
        reset();
        m_registry = std::move(other.m_registry);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

NotificationToken::~NotificationToken() {
    reset();
}

void NotificationToken::reset() {
    if (m_id == 0)
        return;
    if (auto registry = m_registry.lock())
        registry->unregister(m_id);
    m_registry.reset();
    m_id = 0;
}

bool NotificationToken::isActive() const {
    return m_id != 0 && !m_registry.expired();
}

// ---- NotificationCenter ---------------------------------------------------

NotificationCenter::NotificationCenter()
    : m_registry(std::make_shared<detail::NotificationRegistry>()) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter& NotificationCenter::defaultCenter() {
    // Never destroyed: background threads may still post while the process exits.
    static NotificationCenter* center = new NotificationCenter;
    return *center;
}

void NotificationCenter::post(const QString& name, const QVariantMap& payload) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        deliver(*m_registry, name, payload);
        return;
    }
    // Holds the registry only weakly: a centre destroyed before the event
    // loop gets here simply drops the delivery.
    std::weak_ptr<detail::NotificationRegistry> registry = m_registry;
    QMetaObject::invokeMethod(
        app,
        [registry, name, payload] {
            if (auto alive = registry.lock())
                deliver(*alive, name, payload);
        },
        Qt::QueuedConnection);
}

NotificationToken NotificationCenter::observe(const QString& name, Observer observer) {
    auto entry = std::make_shared<detail::ObserverEntry>();
    entry->name = name;
    entry->observer = std::move(observer);
    std::lock_guard lock(m_registry->mutex);
    const quint64 id = m_registry->nextID++;
    m_registry->entries.emplace(id, std::move(entry));
    return NotificationToken(m_registry, id);
}

} // namespace trovi
