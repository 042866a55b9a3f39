#include "core/htmltext.h"

#include "core/cp1251.h"

#include <QList>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace solvenna {

namespace {
QString declaredCharset(const QByteArray& bytes) {
    // The declaration sits in the head; 4 KiB is plenty and keeps big pages cheap.
    const QString head = QString::fromLatin1(bytes.left(4096));
    static const QRegularExpression charset(u"<meta[^>]*charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_\\-]+)"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = charset.match(head);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}
} // namespace

QString decodeHtml(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return QString::fromUtf8(bytes.mid(3));
    const QString charset = declaredCharset(bytes);
    if (charset == u"windows-1251" || charset == u"cp1251" || charset == u"x-cp1251")
        return cp1251::decode(bytes);
    if (charset == u"utf-8" || charset == u"utf8") return QString::fromUtf8(bytes);
    if (!charset.isEmpty()) {
        QStringDecoder named(charset.toLatin1().constData());
        if (named.isValid()) return named.decode(bytes);
    }
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? cp1251::decode(bytes) : text;
}

namespace {

// The page is read as the viewer's HTML import (Qt's rich-text parser) reads it, so that the check counts
// the very elements the viewer builds: every "<" opens a tag, a value is quoted only when a quote starts
// it, a tag ends at the first ">" after its attributes whatever quotes stand there, and there is no raw
// text (a "<" inside a script opens a tag too). Where the viewer's tree differs, the check nests deeper.
class TagReader {
public:
    explicit TagReader(QStringView html) : m_html(html) {}

    qsizetype at = 0;

    bool atEnd() const { return at >= m_html.size(); }
    QChar next() { return m_html[at++]; }
    bool has(QChar c, qsizetype ahead = 0) const {
        return at + ahead < m_html.size() && m_html[at + ahead] == c;
    }
    bool hasSpace() const { return !atEnd() && m_html[at].isSpace(); }
    void eatSpace() {
        while (!atEnd() && m_html[at].isSpace() && m_html[at] != QChar::ParagraphSeparator)
            ++at;
    }
    void skipPast(QChar c) {
        while (!atEnd() && next() != c) {
        }
    }
    void skipPast(QStringView text) {
        const qsizetype end = m_html.indexOf(text, at);
        at = end < 0 ? m_html.size() : end + text.size();
    }

    // After "&": a numeric character reference as its character. A named one gives no letter or digit
    // that a tag or attribute name could be spelled with: it is left as it stands.
    QString entity() {
        const qsizetype start = at;
        qsizetype length = 0;
        while (!atEnd()) {
            const QChar c = next();
            if (c.isSpace() || at - start > 9) {
                at = start;
                return u"&"_s;
            }
            if (c == u';') break;
            ++length;
        }
        const QStringView name = m_html.sliced(start, length);
        if (name.size() > 1 && name[0] == u'#') {
            const bool hex = name[1] == u'x' || name[1] == u'X';
            bool ok = false;
            const uint code = name.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            if (ok)
                return code <= 0x10FFFF ? QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1)
                                        : QString(QChar::ReplacementCharacter);
        }
        at = start;
        return u"&"_s;
    }

    // A tag name, an attribute's name or its value: quoted, or up to a blank, "<", ">", "/>" or "=".
    QString word() {
        QString word;
        if (has(u'"')) {
            ++at;
            while (!atEnd()) {
                const QChar c = next();
                if (c == u'"') break;
                if (c == u'&')
                    word += entity();
                else
                    word += c;
            }
        } else if (has(u'\'')) {
            ++at;
            while (!atEnd()) {
                const QChar c = next();
                if (c == u'\'' && m_html[at - 2] != u'\\') break; // \' stays inside
                word += c;
            }
        } else {
            while (!atEnd()) {
                const QChar c = next();
                if (c == u'>' || (c == u'/' && has(u'>')) || c == u'<' || c == u'=' || c.isSpace()) {
                    --at;
                    break;
                }
                if (c == u'&')
                    word += entity();
                else
                    word += c;
            }
        }
        return word;
    }

    // Name and value pairs, up to ">" or "/".
    QList<std::pair<QString, QString>> attributes() {
        QList<std::pair<QString, QString>> pairs;
        while (!atEnd()) {
            eatSpace();
            if (has(u'>') || has(u'/')) break;
            const QString key = word().toLower();
            if (key.isEmpty()) break;
            QString value = u"1"_s;
            eatSpace();
            if (has(u'=')) {
                ++at;
                eatSpace();
                value = word();
            }
            if (!value.isEmpty()) pairs.append({key, value});
        }
        return pairs;
    }

private:
    QStringView m_html;
};

// Elements that never hold others.
bool isVoid(QStringView name) {
    return name == u"img" || name == u"hr" || name == u"br" || name == u"meta";
}

} // namespace

PageShape measurePage(QStringView html) {
    PageShape shape;
    QList<QString> open; // the open elements, innermost last
    int tables = 0;
    qsizetype word = 0;
    TagReader reader(html);
    const auto endWord = [&] {
        shape.longestWord = std::max(shape.longestWord, word);
        word = 0;
    };
    const auto closeTo = [&](qsizetype keep) {
        for (qsizetype k = open.size() - 1; k >= keep; --k)
            if (open[k] == u"table") --tables;
        open.resize(keep);
    };
    const auto innermost = [&](std::initializer_list<QStringView> names) {
        for (qsizetype k = open.size() - 1; k >= 0; --k)
            if (std::find(names.begin(), names.end(), open[k]) != names.end()) return k;
        return qsizetype(-1);
    };
    const auto push = [&](const QString& name) {
        ++shape.elements;
        open << name;
        if (name == u"table") shape.tableNesting = std::max(shape.tableNesting, ++tables);
        shape.nesting = std::max(shape.nesting, int(open.size()));
    };
    while (!reader.atEnd()) {
        const QChar c = reader.next();
        if (c != u'<') {
            if (c.isSpace())
                endWord();
            else
                ++word;
            continue;
        }
        endWord();
        reader.eatSpace();
        if (reader.has(u'!')) {
            ++reader.at;
            if (reader.has(u'-') && reader.has(u'-', 1))
                reader.skipPast(u"-->");
            else
                reader.skipPast(u'>');
            continue;
        }
        if (reader.has(u'/')) {
            ++reader.at;
            const QString name = reader.word().toLower().trimmed();
            reader.skipPast(u'>');
            const auto at = std::find(open.crbegin(), open.crend(), name);
            if (!name.isEmpty() && at != open.crend()) closeTo(open.size() - 1 - (at - open.crbegin()));
            continue;
        }
        const QString name = reader.word().toLower();
        QList<std::pair<QString, QString>> attributes;
        if (reader.hasSpace()) attributes = reader.attributes();
        bool selfClosing = false;
        while (!reader.atEnd() && !reader.has(u'>')) {
            if (reader.next() == u'/') selfClosing = true;
        }
        ++reader.at;
        if (name.isEmpty()) continue; // the viewer takes it for text
        for (const auto& [key, value] : attributes) {
            if (key == u"colspan" || key == u"rowspan") {
                bool ok = false;
                const int span = value.toInt(&ok);
                if (ok) shape.largestSpan = std::max(shape.largestSpan, span);
            }
        }
        // Where the viewer puts the new element: it closes a paragraph or an item it would nest in, puts
        // rows and cells into the table and row around them (making them when there are none), and
        // definitions into their list.
        if ((name == u"p" || name == u"li") && !open.isEmpty() && open.last() == name) {
            closeTo(open.size() - 1);
        } else if (name == u"td" || name == u"th") {
            if (const qsizetype row = innermost({u"tr"}); row >= 0) {
                closeTo(row + 1);
            } else {
                push(u"table"_s);
                push(u"tr"_s);
            }
        } else if (name == u"tr") {
            if (innermost({u"table"}) < 0) push(u"table"_s);
            closeTo(innermost({u"table", u"thead", u"tbody", u"tfoot"}) + 1);
        } else if (name == u"thead" || name == u"tbody" || name == u"tfoot" || name == u"caption") {
            closeTo(innermost({u"table"}) + 1);
        } else if (name == u"dd" || name == u"dt") {
            closeTo(innermost({u"dl"}) + 1);
        }
        if (name == u"td" || name == u"th") shape.tableCost += qint64(1) << std::min(tables, 40);
        if (selfClosing || isVoid(name))
            ++shape.elements;
        else
            push(name);
        // Past a limit the answer is known; going on would only cost time on a hostile page.
        if (shape.nesting > PageLimits::kMaxNesting || shape.tableNesting > PageLimits::kMaxTableNesting ||
            shape.elements > PageLimits::kMaxElements || shape.tableCost > PageLimits::kMaxTableCost ||
            shape.largestSpan > PageLimits::kMaxSpan)
            return shape;
    }
    endWord();
    return shape;
}

QString pageRefusal(QStringView html) {
    const PageShape shape = measurePage(html);
    if (shape.tableNesting > PageLimits::kMaxTableNesting)
        return u"В ней таблицы вложены друг в друга глубже %1 уровней."_s.arg(PageLimits::kMaxTableNesting);
    if (shape.nesting > PageLimits::kMaxNesting)
        return u"В ней элементы вложены друг в друга глубже %1 уровней."_s.arg(PageLimits::kMaxNesting);
    if (shape.elements > PageLimits::kMaxElements)
        return u"В ней больше %1 элементов разметки."_s.arg(PageLimits::kMaxElements);
    if (shape.tableCost > PageLimits::kMaxTableCost || shape.largestSpan > PageLimits::kMaxSpan)
        return u"В ней слишком много ячеек таблиц."_s;
    if (shape.longestWord > PageLimits::kMaxWordLength)
        return u"В ней есть слово длиннее %1 знаков."_s.arg(PageLimits::kMaxWordLength);
    return {};
}

QString pageFileRefusal(bool tooLarge) {
    return tooLarge ? u"Файл страницы больше %1 КБ."_s.arg(PageLimits::kMaxBytes / 1024)
                    : u"Файл страницы не удаётся прочитать."_s;
}

QString refusalPage(const QString& reason) {
    return u"<html><body><h3>Эту страницу нельзя показать</h3><p>"_s + reason.toHtmlEscaped() +
           u"</p></body></html>"_s;
}

} // namespace solvenna
