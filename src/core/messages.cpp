#include "core/messages.h"

#include <QDebug>

namespace solvenna {

namespace {
MessageHook& hook() {
    static MessageHook instance;
    return instance;
}
} // namespace

MessageHook setMessageHook(MessageHook newHook) {
    return std::exchange(hook(), std::move(newHook));
}

void showMessage(const QString& text) {
    if (hook())
        hook()(text);
    else
        qWarning().noquote() << text;
}

} // namespace solvenna
