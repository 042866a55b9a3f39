#pragma once

namespace solvenna::ui {

// Reading the system's font configuration is a good share of the start-up. Started before the
// application connects to the display, the reading runs on a helper thread while the display connection
// and the first windows' controls are set up, instead of after them.
void startReadingFontConfiguration();

// Waits until that reading is over; returns at once when it was never started or is done. Call it
// before the first text is measured: the font system would otherwise read the configuration again.
void finishReadingFontConfiguration();

} // namespace solvenna::ui
