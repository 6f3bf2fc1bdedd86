// Kept apart from SearchRankingSettingsStore.cpp so that programs which never
// touch the standard preference store do not need it linked in.
#include "launcher/engine/ranking/SearchRankingSettingsStore.h"

namespace trovi {

SearchRankingSettingsStore& SearchRankingSettingsStore::standard() {
    static SearchRankingSettingsStore store(PreferenceStore::standard());
    return store;
}

} // namespace trovi
