#include "FontConfigWarmUp.h"

#include <fontconfig/fontconfig.h>

namespace trovi::app {

// FcInit is safe beside other fontconfig calls: a second initialisation only
// repeats the work.
FontConfigWarmUp::FontConfigWarmUp() : m_thread([] { FcInit(); }) {}

FontConfigWarmUp::~FontConfigWarmUp() {
    wait();
}

void FontConfigWarmUp::wait() {
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace trovi::app
