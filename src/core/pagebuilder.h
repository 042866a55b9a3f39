#pragma once

#include <QList>
#include <QString>

#include <utility>

// The pages the program writes itself (the compatibility page, the cover and contents of the whole
// horoscope): every text in them is escaped here, so a name typed by a person is never taken as markup.
namespace solvenna {

// A person's name as the program shows it: the name as given, or "Без имени" when there is none.
QString displayName(const QString& name);

// A piece of a page: text the builder escaped, or markup taken as it is.
class Html {
public:
    Html() = default;
    static Html text(const QString& plain);
    // Only for markup the program holds or reads from the data folder (its fragments), never for a name.
    static Html markup(const QString& html);

    Html bold() const;
    const QString& toString() const { return m_markup; }
    Html& operator+=(const Html& more);
    friend Html operator+(Html first, const Html& second) { return first += second; }

private:
    explicit Html(QString markup) : m_markup(std::move(markup)) {}
    QString m_markup;
};

// A table cell; the attributes are the program's own ("width=\"35%\""), never a person's text.
struct Cell {
    Cell(Html content, QString attributes = {})
        : content(std::move(content)), attributes(std::move(attributes)) {}
    Html content;
    QString attributes;
};

class PageBuilder {
public:
    // A page to be shown carries a line break after each element so that its source reads; a page only
    // printed needs none.
    enum class Breaks { AfterElements, None };
    explicit PageBuilder(Breaks breaks = Breaks::AfterElements);

    // The start of a whole document: the doctype, the head with the UTF-8 declaration, the title and the
    // data folder's style sheet, then the body. A page the program makes is written as a page of one of
    // the data folder's own folders: the style sheet and the links lead one level up.
    void beginDocument(const QString& title, const QString& bodyClass);
    void endDocument();

    void heading(int level, const QString& text, const QString& attributes = {});
    void paragraph(const Html& content, const QString& attributes = {});
    void paragraph(const QString& text, const QString& attributes = {});
    void beginTable(const QString& attributes);
    void headRow(const QList<Cell>& cells);
    void row(const QList<Cell>& cells);
    void endTable();
    // Markup on lines of its own, such as a fragment of the data folder.
    void block(const Html& content);

    // A link to a page of the data folder ("Druidean/oak.htm", '/' between the parts).
    static Html dataLink(const QString& pageInDataFolder, const QString& text);

    const QString& html() const { return m_html; }

private:
    void element(const QString& tag, const QString& attributes, const QString& content);
    void cells(const QString& tag, const QList<Cell>& cells);
    void line(const QString& markup);

    Breaks m_breaks;
    QString m_html;
};

} // namespace solvenna
