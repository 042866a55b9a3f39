#include "core/pagebuilder.h"

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {
// Pages the program makes sit, as far as their links go, in a folder of the data folder.
constexpr auto kToDataFolder = u"../";
constexpr auto kStyleSheet = u"style.css";

QString opening(const QString& tag, const QString& attributes) {
    return attributes.isEmpty() ? u"<"_s + tag + u">"_s : u"<"_s + tag + u" "_s + attributes + u">"_s;
}
} // namespace

QString displayName(const QString& name) {
    return name.isEmpty() ? u"Без имени"_s : name;
}

Html Html::text(const QString& plain) {
    return Html(plain.toHtmlEscaped());
}

Html Html::markup(const QString& html) {
    return Html(html);
}

Html Html::bold() const {
    return Html(u"<b>"_s + m_markup + u"</b>"_s);
}

Html& Html::operator+=(const Html& more) {
    m_markup += more.m_markup;
    return *this;
}

PageBuilder::PageBuilder(Breaks breaks) : m_breaks(breaks) {}

void PageBuilder::line(const QString& markup) {
    m_html += markup;
    if (m_breaks == Breaks::AfterElements) m_html += u'\n';
}

void PageBuilder::element(const QString& tag, const QString& attributes, const QString& content) {
    line(opening(tag, attributes) + content + u"</"_s + tag + u">"_s);
}

void PageBuilder::beginDocument(const QString& title, const QString& bodyClass) {
    line(u"<!DOCTYPE html>"_s);
    line(u"<html lang=\"ru\">"_s);
    line(u"<head>"_s);
    line(u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />"_s);
    element(u"title"_s, {}, Html::text(title).toString());
    line(u"<link rel=\"stylesheet\" type=\"text/css\" href=\""_s + QString::fromUtf16(kToDataFolder) +
         QString::fromUtf16(kStyleSheet) + u"\" />"_s);
    line(u"</head>"_s);
    line(opening(u"body"_s, u"class=\""_s + bodyClass.toHtmlEscaped() + u'"'));
}

void PageBuilder::endDocument() {
    line(u"</body>"_s);
    line(u"</html>"_s);
}

void PageBuilder::heading(int level, const QString& text, const QString& attributes) {
    element(u"h"_s + QString::number(level), attributes, Html::text(text).toString());
}

void PageBuilder::paragraph(const Html& content, const QString& attributes) {
    element(u"p"_s, attributes, content.toString());
}

void PageBuilder::paragraph(const QString& text, const QString& attributes) {
    paragraph(Html::text(text), attributes);
}

void PageBuilder::beginTable(const QString& attributes) {
    line(opening(u"table"_s, attributes));
}

void PageBuilder::cells(const QString& tag, const QList<Cell>& cells) {
    QString row;
    for (const Cell& cell : cells)
        row += opening(tag, cell.attributes) + cell.content.toString() + u"</"_s + tag + u">"_s;
    element(u"tr"_s, {}, row);
}

void PageBuilder::headRow(const QList<Cell>& cells) {
    this->cells(u"th"_s, cells);
}

void PageBuilder::row(const QList<Cell>& cells) {
    this->cells(u"td"_s, cells);
}

void PageBuilder::endTable() {
    line(u"</table>"_s);
}

void PageBuilder::block(const Html& content) {
    line(content.toString());
}

Html PageBuilder::dataLink(const QString& pageInDataFolder, const QString& text) {
    const QString href = QString::fromUtf16(kToDataFolder) + pageInDataFolder;
    return Html::markup(u"<a href=\""_s + href.toHtmlEscaped() + u"\">"_s) + Html::text(text) +
           Html::markup(u"</a>"_s);
}

} // namespace solvenna
