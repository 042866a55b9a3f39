#pragma once

#include <QByteArray>
#include <QString>

namespace solvenna {

// Decodes a page file by what it declares: a byte-order mark, or a charset in its head
// (windows-1251 and utf-8 are what horoscope pages use). An undeclared page that is valid UTF-8 is read
// as UTF-8, anything else as Windows-1251, the code page older pages were written in.
QString decodeHtml(const QByteArray& bytes);

} // namespace solvenna
