#include "personcard.h"

#include "core/catalogue.h"
#include "core/compatibility.h"
#include "core/pagebuilder.h"
#include "core/people.h"
#include "core/signs.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::ui {

namespace {

// The card's own colours: an image keeps its look wherever it is sent, whatever the desktop's palette.
// The band runs from the section bar's blue towards its white, stopping where white text still reads.
const QColor kBarBlue(0, 91, 136);
const QColor kSheet(0xfb, 0xfa, 0xf6);
const QColor kInk(0x2b, 0x2b, 0x2b);
const QColor kLabel(0x55, 0x55, 0x55);
const QColor kZodiac(0x0b, 0x5a, 0x86);
const QColor kRule(0xdd, 0xd8, 0xca);

constexpr int kMargin = 60;
constexpr int kBandHeight = 300;
constexpr int kFadeHeight = 28;

QColor blend(const QColor& from, const QColor& to, qreal t) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * t,
                            from.greenF() + (to.greenF() - from.greenF()) * t,
                            from.blueF() + (to.blueF() - from.blueF()) * t);
}

QFont font(int pixels, bool bold = false) {
    QFont f;
    f.setFamilies({u"DejaVu Sans"_s});
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The name on at most two lines of the width: broken between words where it can, anywhere where it must,
// and the second line cut with an ellipsis when more would follow.
QStringList nameLines(const QString& name, const QFont& f, int width) {
    QTextLayout layout(name, f);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine first = layout.createLine();
    first.setLineWidth(width);
    QTextLine second = layout.createLine();
    if (second.isValid()) second.setLineWidth(width);
    layout.endLayout();
    const QFontMetrics metrics(f);
    QStringList lines{
        metrics.elidedText(name.mid(first.textStart(), first.textLength()).trimmed(), Qt::ElideRight, width)};
    if (second.isValid())
        lines << metrics.elidedText(name.mid(second.textStart()).trimmed(), Qt::ElideRight, width);
    return lines;
}

// Text drawn as outlines: the painter's glyph cache draws a text the first time slightly otherwise than
// later, and a card must come out the same every time.
void drawText(QPainter& p, const QRectF& box, Qt::Alignment align, const QFont& f, const QColor& colour,
              const QString& text) {
    const QFontMetricsF metrics(f);
    const qreal width = metrics.horizontalAdvance(text);
    const qreal x = align & Qt::AlignRight     ? box.right() - width
                    : align & Qt::AlignHCenter ? box.center().x() - width / 2
                                               : box.left();
    QPainterPath path;
    path.addText(x, box.center().y() + (metrics.ascent() - metrics.descent()) / 2, f, text);
    p.fillPath(path, colour);
}

struct SignLine {
    const char16_t* label;
    QString value;
};

} // namespace

QImage personCard(const QString& name, Date birthDate) {
    QImage card(kPersonCardSize, QImage::Format_RGB32);
    card.fill(kSheet);
    QPainter p(&card);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const int width = card.width(), inner = width - 2 * kMargin;

    // The band, and below it the rest of the bar's way to white, melting into the sheet.
    const QColor bandEnd = blend(kBarBlue, Qt::white, 0.15);
    QLinearGradient band(0, 0, 0, kBandHeight);
    band.setColorAt(0, kBarBlue);
    band.setColorAt(1, bandEnd);
    p.fillRect(QRect(0, 0, width, kBandHeight), band);
    QLinearGradient fade(0, kBandHeight, 0, kBandHeight + kFadeHeight);
    fade.setColorAt(0, bandEnd);
    fade.setColorAt(1, kSheet);
    p.fillRect(QRect(0, kBandHeight, width, kFadeHeight), fade);

    // The name, large, in white on the band.
    const QFont nameFont = font(72, true);
    const QStringList lines = nameLines(displayName(name.simplified()), nameFont, inner);
    const int lineHeight = QFontMetrics(nameFont).height();
    const int nameTop = (kBandHeight - lineHeight * int(lines.size())) / 2;
    for (int i = 0; i < lines.size(); ++i)
        drawText(p, QRect(kMargin, nameTop + i * lineHeight, inner, lineHeight), Qt::AlignHCenter, nameFont,
                 Qt::white, lines[i]);

    const PersonSigns signs = personSigns(birthDate);
    int y = kBandHeight + kFadeHeight + 24;
    const QString date = dateInWords(birthDate);
    drawText(p, QRect(kMargin, y, inner, 60), Qt::AlignHCenter, font(44), kInk,
             date.isEmpty() ? u"—"_s : date);
    y += 80;

    // The zodiac glyph in text presentation, or the sign's name where the font has no glyph for it.
    const QFont glyphFont = font(240);
    const QString signText = signName(HoroscopeSystem::Zodiac, signs.zodiac);
    const char32_t glyph = char32_t(0x2648 + signs.zodiac - 1);
    const bool hasGlyph = !signText.isEmpty() && QFontMetrics(glyphFont).inFontUcs4(glyph);
    const QRect glyphBox(kMargin, y, inner, 280);
    if (hasGlyph)
        drawText(p, glyphBox, Qt::AlignHCenter, glyphFont, kZodiac,
                 QString::fromUcs4(&glyph, 1) + QChar(0xFE0E));
    else
        drawText(p, glyphBox, Qt::AlignHCenter, font(96, true), kZodiac,
                 signText.isEmpty() ? u"—"_s : signText);
    y += 290;
    if (hasGlyph)
        drawText(p, QRect(kMargin, y, inner, 70), Qt::AlignHCenter, font(56, true), kZodiac, signText);
    y += 100;

    // The six signs in the summary's words; a system without a sign for the date shows a dash.
    const auto known = [](const QString& text, const QString& prefix = {}) {
        return text.isEmpty() ? u"—"_s : prefix + text;
    };
    const std::array<SignLine, 6> rows{{
        {u"Знак Зодиака", known(zodiacTitle(signs.zodiac))},
        {u"Китайский гороскоп", known(chineseGenitive(signs.chinese), u"год "_s)},
        {u"Гороскоп Друидов", known(treeName(signs.tree))},
        {u"Число дня рождения", signs.number > 0 ? QString::number(signs.number) : u"—"_s},
        {u"Зороастрийский гороскоп", known(totemGenitive(signs.totem), u"год "_s)},
        {u"Мифологический гороскоп", known(creatureName(signs.creature))},
    }};
    const QFont labelFont = font(30), valueFont = font(34, true);
    const int rowHeight = 64, labelWidth = inner * 11 / 20;
    p.setPen(kRule);
    for (const SignLine& row : rows) {
        p.drawLine(kMargin, y, width - kMargin, y);
        drawText(p, QRect(kMargin, y, labelWidth, rowHeight), Qt::AlignLeft, labelFont, kLabel,
                 QString::fromUtf16(row.label));
        const QRect valueBox(kMargin + labelWidth, y, inner - labelWidth, rowHeight);
        drawText(p, valueBox, Qt::AlignRight, valueFont, kInk,
                 QFontMetrics(valueFont).elidedText(row.value, Qt::ElideRight, valueBox.width()));
        y += rowHeight;
    }
    p.drawLine(kMargin, y, width - kMargin, y);

    drawText(p, QRect(kMargin, card.height() - 70, inner, 40), Qt::AlignHCenter, font(26), kLabel,
             u"Solvenna"_s);
    p.end();
    return card;
}

} // namespace solvenna::ui
