#pragma once
// Fontconfig reads its configuration and font caches (7–10 ms) the first time
// a font is needed, which is while the window is built. Started before the
// application object, that work runs on a second core while Qt connects to
// the display; the window waits only for what is left of it.

#include <thread>

namespace trovi::app {

class FontConfigWarmUp {
public:
    FontConfigWarmUp();
    ~FontConfigWarmUp();
    FontConfigWarmUp(const FontConfigWarmUp&) = delete;
    FontConfigWarmUp& operator=(const FontConfigWarmUp&) = delete;

    // Returns once fontconfig is ready; later calls return at once.
    void wait();

private:
    std::thread m_thread;
};

} // namespace trovi::app
