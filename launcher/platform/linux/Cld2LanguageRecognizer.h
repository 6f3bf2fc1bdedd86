#pragma once
// The language recogniser behind translation commands on Linux: CLD2, the
// compact language detector. Short or ambiguous text ("hello", "Haus") yields
// nothing, so the parser's own fallback rules decide.

#include "launcher/clients/TranslationCommand.h"

namespace trovi::platform {

LanguageRecognizer cld2LanguageRecognizer();

} // namespace trovi::platform
