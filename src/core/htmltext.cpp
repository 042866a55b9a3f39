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

bool isVoid(QStringView name) {
    static const QStringList names{u"area"_s,  u"base"_s,   u"br"_s,    u"col"_s,  u"embed"_s,
                                   u"hr"_s,    u"img"_s,    u"input"_s, u"link"_s, u"meta"_s,
                                   u"param"_s, u"source"_s, u"track"_s, u"wbr"_s,  u"basefont"_s};
    return names.contains(name);
}

// Elements that a later sibling closes without an end tag: the open element is closed, with everything
// inside it, when the new tag opens.
bool closesImplicitly(QStringView open, QStringView opened) {
    if (open == u"p" || open == u"li" || open == u"tr" || open == u"option") return opened == open;
    if (open == u"dt" || open == u"dd") return opened == u"dt" || opened == u"dd";
    if (open == u"td" || open == u"th") return opened == u"td" || opened == u"th";
    return false;
}

bool closesSiblings(QStringView name) {
    return name == u"p" || name == u"li" || name == u"dt" || name == u"dd" || name == u"tr" ||
           name == u"td" || name == u"th" || name == u"option";
}

// Elements across which no implicit closing reaches: a list item inside a nested list does not close the
// item of the outer list.
bool isBarrier(QStringView name) {
    return name == u"table" || name == u"ul" || name == u"ol" || name == u"dl" || name == u"select" ||
           name == u"div" || name == u"blockquote";
}

} // namespace

PageShape measurePage(QStringView html) {
    PageShape shape;
    QList<QString> open; // the open elements, innermost last
    int tables = 0;
    qsizetype word = 0;
    const qsizetype n = html.size();
    qsizetype i = 0;
    const auto endWord = [&] {
        shape.longestWord = std::max(shape.longestWord, word);
        word = 0;
    };
    while (i < n) {
        const QChar c = html[i];
        if (c != u'<') {
            if (c.isSpace())
                endWord();
            else
                ++word;
            ++i;
            continue;
        }
        if (html.sliced(i).startsWith(u"<!--")) {
            const qsizetype end = html.indexOf(u"-->", i + 4);
            i = end < 0 ? n : end + 3;
            continue;
        }
        const bool closing = i + 1 < n && html[i + 1] == u'/';
        qsizetype nameStart = i + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < n &&
               (html[nameEnd].isLetterOrNumber() || html[nameEnd] == u'-' || html[nameEnd] == u':'))
            ++nameEnd;
        if (nameEnd == nameStart || !html[nameStart].isLetter()) {
            if (i + 1 < n && (html[i + 1] == u'!' || html[i + 1] == u'?')) { // a declaration
                const qsizetype end = html.indexOf(u'>', i);
                i = end < 0 ? n : end + 1;
            } else {
                ++word; // a lone "<" is text
                ++i;
            }
            continue;
        }
        endWord();
        // To the end of the tag, over quoted attribute values.
        qsizetype end = nameEnd;
        QChar quote;
        while (end < n && (html[end] != u'>' || !quote.isNull())) {
            if (quote.isNull() && (html[end] == u'"' || html[end] == u'\''))
                quote = html[end];
            else if (html[end] == quote)
                quote = QChar();
            ++end;
        }
        const bool selfClosing = end > nameEnd && html[end - 1] == u'/';
        const QString name = html.sliced(nameStart, nameEnd - nameStart).toString().toLower();
        i = end < n ? end + 1 : n;
        if (closing) {
            const auto at = std::find(open.crbegin(), open.crend(), name);
            if (at == open.crend()) continue;
            const qsizetype keep = open.size() - 1 - (at - open.crbegin());
            for (qsizetype k = open.size() - 1; k >= keep; --k)
                if (open[k] == u"table") --tables;
            open.resize(keep);
            continue;
        }
        ++shape.elements;
        if (name == u"td" || name == u"th") shape.tableCost += qint64(1) << std::min(tables, 40);
        if (selfClosing || isVoid(name)) continue;
        if (closesSiblings(name)) {
            for (qsizetype k = open.size() - 1; k >= 0 && !isBarrier(open[k]); --k) {
                if (closesImplicitly(open[k], name)) {
                    open.resize(k);
                    break;
                }
            }
        }
        if (name == u"script" || name == u"style") {
            // Their text is no markup; skip to the end tag.
            const qsizetype close = html.indexOf(u"</"_s + name, i, Qt::CaseInsensitive);
            i = close < 0 ? n : close;
        }
        open << name;
        if (name == u"table") shape.tableNesting = std::max(shape.tableNesting, ++tables);
        shape.nesting = std::max(shape.nesting, int(open.size()));
        // Past a limit the answer is known; going on would only cost time on a hostile page.
        if (shape.nesting > PageLimits::kMaxNesting || shape.tableNesting > PageLimits::kMaxTableNesting ||
            shape.elements > PageLimits::kMaxElements || shape.tableCost > PageLimits::kMaxTableCost)
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
    if (shape.tableCost > PageLimits::kMaxTableCost) return u"В ней слишком много ячеек таблиц."_s;
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
