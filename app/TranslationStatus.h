#pragma once
// `trovi translation status`: what each translation engine finds on this
// machine, and what to install when it finds nothing.

namespace trovi::app {

int runTranslationStatus();

} // namespace trovi::app
