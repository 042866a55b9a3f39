#pragma once

#include <thread>

namespace solvenna::ui {

// Reads the system's font configuration on a helper thread. Started before the application connects to
// the display, the reading is over by the time the first window needs a font, instead of adding several
// milliseconds to the start-up.
class FontConfigurationReader {
public:
    FontConfigurationReader();
    ~FontConfigurationReader();
    FontConfigurationReader(const FontConfigurationReader&) = delete;
    FontConfigurationReader& operator=(const FontConfigurationReader&) = delete;

    // Waits for the reading to end. Call it before the first font is used: the font system would
    // otherwise read the configuration a second time.
    void wait();

private:
    std::thread m_thread;
};

} // namespace solvenna::ui
