#include "core/pagenotes.h"

#include "core/caption.h"
#include "core/lunarpage.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {
// Paths compared as the files they name: the view reads a page by its canonical path, the catalogue
// names it from the program's folder, which may be reached through a link.
QString canonicalFolder(const QString& folder) {
    return QDir(folder).canonicalPath();
}
} // namespace

QString PageNotes::noteFor(const Folders& folders, Date birthDate, const QString& pagePath) {
    if (!birthDateIsSet(birthDate)) return {};
    if (birthDate != m_birthDate) {
        m_birthDate = birthDate;
        m_zodiac.reset();
        m_chinese.reset();
    }
    const QFileInfo page(pagePath);
    const QString pageFolder = page.canonicalPath();
    if (pageFolder.isEmpty()) return {};
    const SystemEntry& zodiac = systemEntry(HoroscopeSystem::Zodiac);
    if (const auto sign = zodiac.signEntry(zodiac.signOf(birthDate));
        sign && pageFolder == canonicalFolder(folders.ZodiacFolder + *sign)) {
        if (!m_zodiac) m_zodiac = lunarpage::zodiacBoundaryNote(birthDate);
        return *m_zodiac;
    }
    // The Chinese calculator refuses a year before its table with a message: it is not asked then.
    const SystemEntry& chinese = systemEntry(HoroscopeSystem::Chinese);
    if (decodeDate(birthDate).year < chinese.firstYear) return {};
    if (pageFolder != canonicalFolder(folders.ChineseFolder)) return {};
    const auto own = singlePage(folders, HoroscopeSystem::Chinese, birthDate);
    if (!own || QFileInfo(*own).canonicalFilePath() != page.canonicalFilePath()) return {};
    if (!m_chinese) m_chinese = lunarpage::chineseNewYearNote(birthDate);
    return *m_chinese;
}

QString withNote(const QString& html, const QString& note) {
    if (note.isEmpty()) return html;
    static const QRegularExpression headingEnd(u"</h1\\s*>(\\s*<h2[\\s>].*?</h2\\s*>)?"_s,
                                               QRegularExpression::CaseInsensitiveOption |
                                                   QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression bodyStart(u"<body[^>]*>"_s, QRegularExpression::CaseInsensitiveOption);
    qsizetype at = 0;
    if (const auto heading = headingEnd.match(html); heading.hasMatch())
        at = heading.capturedEnd();
    else if (const auto body = bodyStart.match(html); body.hasMatch())
        at = body.capturedEnd();
    return html.left(at) + u'\n' + note + u'\n' + html.mid(at);
}

} // namespace solvenna
