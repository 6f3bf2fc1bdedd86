// The shared stores on the user's preference file. Kept apart from the store
// logic so that code built against a test store never pulls in the process-wide one.

#include "launcher/clients/TranslationSettingsStores.h"

namespace trovi {

TranslationCommandSettingsStore& TranslationCommandSettingsStore::standard() {
    static TranslationCommandSettingsStore store(PreferenceStore::standard());
    return store;
}

TranslationLanguageSettingsStore& TranslationLanguageSettingsStore::standard() {
    static TranslationLanguageSettingsStore store(PreferenceStore::standard());
    return store;
}

TranslationEngineSettingsStore& TranslationEngineSettingsStore::standard() {
    static TranslationEngineSettingsStore store(PreferenceStore::standard());
    return store;
}

} // namespace trovi
