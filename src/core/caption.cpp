#include "core/caption.h"

#include "core/pagebuilder.h"

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

QString programVersion() {
    return QStringLiteral(SOLVENNA_VERSION);
}

QString programCaption() {
    return u"Solvenna, версия "_s + programVersion();
}

QString personCaption(const QString& name, const QString& dateText, const QString& sign) {
    return programCaption() + u"  ["_s + displayName(name) + u", "_s + dateText + u", "_s + sign + u"]"_s;
}

} // namespace solvenna
