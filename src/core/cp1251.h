#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Windows-1251, the code page of the program's INI files and of older pages. Qt has no built-in codec
// for it without ICU, and a 128-entry table is all it takes.
namespace solvenna::cp1251 {

QString decode(QByteArrayView bytes);
// Encodes the text, or gives nothing when a character has no Windows-1251 byte: the caller then picks
// another encoding instead of silently writing "?".
std::optional<QByteArray> encode(QStringView text);
// True when encode() would succeed.
bool canEncode(QStringView text);

} // namespace solvenna::cp1251
