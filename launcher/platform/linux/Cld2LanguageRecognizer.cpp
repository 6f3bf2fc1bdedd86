#include "launcher/platform/linux/Cld2LanguageRecognizer.h"

// The public header uses FILE without including its declaration.
#include <cstdio>

#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>

namespace CLD2 {
// Declared in the library's internal header only.
const char* LanguageCode(Language lang);
} // namespace CLD2

namespace trovi::platform {

LanguageRecognizer cld2LanguageRecognizer() {
    return [](const QString& text) -> std::optional<QString> {
        const QByteArray utf8 = text.toUtf8();
        if (utf8.isEmpty())
            return std::nullopt;
        CLD2::CLDHints hints{nullptr, nullptr, CLD2::UNKNOWN_ENCODING, CLD2::UNKNOWN_LANGUAGE};
        CLD2::Language top3[3];
        int percent3[3];
        double normalizedScore3[3];
        int textBytes = 0;
        bool isReliable = false;
        // The extended call answers UNKNOWN_LANGUAGE for text too short to
        // judge instead of defaulting to English.
        const CLD2::Language language = CLD2::ExtDetectLanguageSummary(
            utf8.constData(), int(utf8.size()), true, &hints, 0, top3, percent3, normalizedScore3,
            nullptr, &textBytes, &isReliable);
        if (language == CLD2::UNKNOWN_LANGUAGE)
            return std::nullopt;
        const char* code = CLD2::LanguageCode(language);
        if (!code || !*code)
            return std::nullopt;
        return QString::fromLatin1(code).toLower();
    };
}

} // namespace trovi::platform
