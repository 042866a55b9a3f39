#pragma once

#include "core/catalogue.h"
#include "core/date.h"

#include <QString>

#include <optional>

// The notes the data pages of a person born on a boundary carry under their heading: the zodiac note on
// every page of the person's sign, the Chinese note on the person's Chinese page. The view, printing and
// the whole horoscope all ask here, so the three show the same.
namespace solvenna {

class PageNotes {
public:
    // The note of the page at the path for the person born on birthDate; empty for a page of no other
    // person's folders, and for a person born on no boundary. Worked out at the first page that needs it
    // (nothing astronomical runs before) and kept for the birth date.
    QString noteFor(const Folders& folders, Date birthDate, const QString& pagePath);

private:
    Date m_birthDate = -1;
    std::optional<QString> m_zodiac;
    std::optional<QString> m_chinese;
};

// The page with the note put under its heading: after the first h1 and an h2 that follows it at once;
// without an h1, at the start of the body. The page as it is for an empty note.
QString withNote(const QString& html, const QString& note);

} // namespace solvenna
