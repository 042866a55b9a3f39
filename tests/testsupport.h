#pragma once

#include "core/messages.h"

#include <QStringList>

#include <unistd.h>

namespace testsupport {

// Collects what the calculators report instead of showing it.
struct MessageRecorder {
    QStringList messages;
    solvenna::MessageHook previous;
    MessageRecorder() {
        previous = solvenna::setMessageHook([this](const QString& text) { messages << text; });
    }
    ~MessageRecorder() { solvenna::setMessageHook(previous); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;
};

// Read-only folders only refuse writes to ordinary users; root writes anyway. Tests of refused writes run
// as "nobody" when started as root (as CI does). Returns false if that was not possible.
inline bool runAsOrdinaryUser() {
    if (geteuid() != 0) return true;
    constexpr uid_t kNobody = 65534;
    return setgid(kNobody) == 0 && setuid(kNobody) == 0 && geteuid() == kNobody;
}

} // namespace testsupport
