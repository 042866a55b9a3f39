#pragma once

#include <QString>

#include <functional>

namespace solvenna {

// The calculators report their own refusals ("year too early") to the user. The core only declares the
// hook; the user interface installs the standard message box, tests install a recorder.
using MessageHook = std::function<void(const QString& text)>;

// Installs the hook and returns the one it replaces.
MessageHook setMessageHook(MessageHook hook);
void showMessage(const QString& text);

} // namespace solvenna
