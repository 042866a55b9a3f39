#pragma once

namespace solvenna::ui {

// The program's style, application-wide: tooltips show 50 ms after the pointer rests and stay 10 seconds,
// also long ones, and the bars' overflow arrows and the fields' clear button come from the program's icons.
// Installed once by the application's set-up, before any window exists, which spares re-styling them; a
// second call does nothing.
void installProgramStyle();

} // namespace solvenna::ui
