#pragma once

#include "core/date.h"

#include <QImage>
#include <QSize>
#include <QString>

// A person's card for messengers: the name, the birth date, the zodiac glyph large and the six signs, in
// the program's look, made from the same data as the summary.
namespace solvenna::ui {

inline constexpr QSize kPersonCardSize{1080, 1350};

QImage personCard(const QString& name, Date birthDate);

} // namespace solvenna::ui
