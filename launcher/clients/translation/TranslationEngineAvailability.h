#pragma once

#include <QString>

namespace trovi {

// Whether an engine can be used, with what the settings screen says about it.
struct TranslationEngineAvailability {
    bool isAvailable = false;
    QString message;
    // What a result row says when this engine ranks above the one that
    // answered; empty: "<engine> unavailable".
    QString rowNote;
};

} // namespace trovi
