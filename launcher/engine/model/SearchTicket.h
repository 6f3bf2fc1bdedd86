#pragma once
// SearchGeneration and SearchTicket: how a caller tells a running search that
// a newer one has been asked for. The caller bumps the generation; a search
// holding a ticket from an older generation is superseded, stops at its next
// check, and its partial answer is neither shown nor cached.

#include <QtGlobal>

#include <atomic>
#include <memory>

namespace trovi {

class SearchGeneration {
public:
    // Supersedes every ticket issued so far; returns the new generation.
    quint64 bump() { return m_value.fetch_add(1, std::memory_order_acq_rel) + 1; }
    quint64 current() const { return m_value.load(std::memory_order_acquire); }

private:
    std::atomic<quint64> m_value{0};
};

class SearchTicket {
public:
    // A ticket that is never superseded (command line, tests, refresh jobs).
    SearchTicket() = default;
    // A ticket for the generation current now.
    explicit SearchTicket(std::shared_ptr<const SearchGeneration> generation)
        : m_generation(std::move(generation)),
          m_issued(m_generation ? m_generation->current() : 0) {}

    // Safe to call from any thread, as often as a progress callback likes.
    bool isSuperseded() const { return m_generation && m_generation->current() != m_issued; }

private:
    std::shared_ptr<const SearchGeneration> m_generation;
    quint64 m_issued = 0;
};

} // namespace trovi
