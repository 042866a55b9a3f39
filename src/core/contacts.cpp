#include "core/contacts.h"

#include "core/cp1251.h"
#include "core/safefile.h"

#include <QHash>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::contacts {

namespace {

// What the preview shows of a text that may be of any length.
QString shortened(const QString& text, qsizetype length = 40) {
    return text.size() > length ? text.left(length) + u'…' : text;
}

std::optional<QString> strictUtf8(QByteArrayView bytes) {
    QString text = QString::fromUtf8(bytes);
    // Invalid sequences become U+FFFD, so only valid UTF-8 comes back byte for byte.
    if (text.toUtf8() != bytes) return std::nullopt;
    return text;
}

// Text without a declared encoding: UTF-8 when it is valid UTF-8, otherwise Windows-1251, which is what
// Russian phones and spreadsheets wrote before UTF-8. Every byte has a Windows-1251 character, so no card
// is dropped for its encoding; a wrong guess shows in the preview, where the card can be left out.
QString decodeUndeclared(QByteArrayView bytes) {
    if (auto text = strictUtf8(bytes)) return *std::move(text);
    return cp1251::decode(bytes);
}

// A UTF-16 file (as some Windows programs save contacts) as UTF-8, so the readers see one encoding.
QByteArray withoutUtf16(const QByteArray& bytes) {
    const bool le = bytes.startsWith("\xFF\xFE");
    if (!le && !bytes.startsWith("\xFE\xFF")) return bytes;
    QStringDecoder decoder(le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
    return QString(decoder.decode(QByteArrayView(bytes).sliced(2))).toUtf8();
}

// --- Dates -------------------------------------------------------------------------------------------

struct DateRead {
    enum Kind { Ok, NoYear, Invalid, TooEarly, Future } kind = Invalid;
    Date date = 0;
};

// The forms phones and spreadsheets write: 1975-08-15, 19750815, 1975-08-15T00:00:00Z (any time and
// zone after the date), 15.08.1975, 5.8.1975; "--0815", "--08-15" and "15.08" carry no year.
// A number of minDigits to maxDigits ASCII digits and nothing else.
std::optional<int> number(QStringView text, qsizetype minDigits, qsizetype maxDigits) {
    if (text.size() < minDigits || text.size() > maxDigits) return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

DateRead readDate(QStringView text, Date today) {
    QStringView t = text.trimmed();
    if (t.startsWith(u"--"_s)) {
        const QStringView monthDay = t.mid(2);
        const bool plain = number(monthDay, 4, 4).has_value();
        const bool dashed = monthDay.size() == 5 && monthDay[2] == u'-' && number(monthDay.left(2), 2, 2) &&
                            number(monthDay.mid(3), 2, 2);
        return {plain || dashed ? DateRead::NoYear : DateRead::Invalid};
    }
    // The time of day (and its zone) after the date changes nothing: only the day is kept.
    if (const qsizetype cut = t.indexOf(u'T'); cut >= 8) t = t.left(cut);
    if (const qsizetype cut = t.indexOf(u' '); cut >= 8) t = t.left(cut);
    std::optional<int> y, m, d;
    if (t.size() == 8 && !t.contains(u'.')) {
        y = number(t.left(4), 4, 4);
        m = number(t.mid(4, 2), 2, 2);
        d = number(t.mid(6), 2, 2);
    } else if (t.size() == 10 && t[4] == u'-' && t[7] == u'-') {
        y = number(t.left(4), 4, 4);
        m = number(t.mid(5, 2), 2, 2);
        d = number(t.mid(8), 2, 2);
    } else {
        const QList<QStringView> parts = t.split(u'.');
        const bool dayMonth = parts.size() == 2 || (parts.size() == 3 && parts[2].isEmpty());
        if (dayMonth && number(parts[0], 1, 2) && number(parts[1], 1, 2)) return {DateRead::NoYear};
        if (parts.size() == 3) {
            d = number(parts[0], 1, 2);
            m = number(parts[1], 1, 2);
            y = number(parts[2], 4, 4);
        }
    }
    if (!y || !m || !d || !isValidDate(*y, *m, *d)) return {DateRead::Invalid};
    const Date date = encodeDate(*y, *m, *d);
    if (date <= encodeDate(1900, 1, 1)) return {DateRead::TooEarly, date};
    if (date > today) return {DateRead::Future, date};
    return {DateRead::Ok, date};
}

QString dateReason(const DateRead& read, const QString& text) {
    const QString quoted = u"«"_s + shortened(text.trimmed()) + u"»"_s;
    switch (read.kind) {
    case DateRead::NoYear:
        return u"в дате рождения нет года: "_s + quoted;
    case DateRead::TooEarly:
        return u"дата рождения не позже 01.01.1900: "_s + quoted;
    case DateRead::Future:
        return u"дата рождения ещё не наступила: "_s + quoted;
    default:
        return u"не удаётся прочитать дату рождения: "_s + quoted;
    }
}

const QString kNoDate = u"нет даты рождения"_s;
const QString kNoName = u"нет имени"_s;

// One person found at `line`: added to the result, or skipped with the reason.
void take(ReadResult& result, int line, const QString& rawName, const QString& dateText, Date today) {
    const QString name = storableName(rawName);
    if (name.isEmpty()) {
        result.skipped.append({line, {}, kNoName});
        return;
    }
    if (name.size() > NameStore::kMaxNameLength) {
        result.skipped.append(
            {line, shortened(name), u"имя длиннее %1 знаков"_s.arg(NameStore::kMaxNameLength)});
        return;
    }
    if (dateText.trimmed().isEmpty()) {
        result.skipped.append({line, name, kNoDate});
        return;
    }
    const DateRead date = readDate(dateText, today);
    if (date.kind != DateRead::Ok) {
        result.skipped.append({line, name, dateReason(date, dateText)});
        return;
    }
    result.contacts.append({name, date.date, line});
}

ReadResult finished(ReadResult result) {
    if (result.contacts.isEmpty() && result.skipped.isEmpty())
        result.refusal = u"В файле не найдено ни одного контакта."_s;
    return result;
}

// No address book of people one knows comes near this either; a file of millions of rows (each a few
// bytes, within the size limit) would take gigabytes to list in the preview, so it is refused whole.
constexpr qsizetype kMaxEntries = 100000;

bool tooMany(const ReadResult& result) {
    return result.contacts.size() + result.skipped.size() >= kMaxEntries;
}

ReadResult tooManyRefused() {
    ReadResult result;
    result.refusal = u"В файле больше 100 000 записей: файлы контактов такого размера программа не читает."_s;
    return result;
}

Date today() {
    return fromQDate(QDate::currentDate());
}

// --- vCard -------------------------------------------------------------------------------------------

struct Property {
    QByteArray name; // upper case, without its group ("item1.")
    QByteArray encoding;
    QByteArray charset;
    QByteArray value; // still encoded and escaped
};

// name[;param...]:value, parameters in any letter case; "QUOTED-PRINTABLE" may stand alone (2.1).
std::optional<Property> parseProperty(const QByteArray& line) {
    qsizetype colon = -1;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ':' && !quoted) colon = i;
    }
    if (colon < 0) return std::nullopt;
    const QList<QByteArray> parts = line.left(colon).split(';');
    Property p;
    p.name = parts.first().trimmed().toUpper();
    if (const qsizetype dot = p.name.lastIndexOf('.'); dot >= 0) p.name = p.name.mid(dot + 1);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray param = parts[i].trimmed().toUpper();
        const qsizetype eq = param.indexOf('=');
        const QByteArray key = eq < 0 ? QByteArray() : param.left(eq).trimmed();
        QByteArray value = eq < 0 ? param : param.mid(eq + 1).trimmed();
        if (value.startsWith('"') && value.endsWith('"') && value.size() >= 2)
            value = value.mid(1, value.size() - 2);
        if (key == "ENCODING" || (key.isEmpty() && (value == "QUOTED-PRINTABLE" || value == "BASE64")))
            p.encoding = value;
        else if (key == "CHARSET")
            p.charset = value;
    }
    p.value = line.mid(colon + 1);
    return p;
}

QByteArray fromQuotedPrintable(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size());
    const auto hex = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                      : -1;
    };
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '=' && i + 2 < bytes.size() && hex(bytes[i + 1]) >= 0 && hex(bytes[i + 2]) >= 0) {
            out += char(hex(bytes[i + 1]) * 16 + hex(bytes[i + 2]));
            i += 2;
        } else {
            out += bytes[i];
        }
    }
    return out;
}

QString propertyText(const Property& p) {
    QByteArray bytes = p.value;
    if (p.encoding == "QUOTED-PRINTABLE")
        bytes = fromQuotedPrintable(bytes);
    else if (p.encoding == "B" || p.encoding == "BASE64")
        bytes = QByteArray::fromBase64(bytes);
    if (p.charset == "UTF-8") return QString::fromUtf8(bytes);
    if (p.charset == "WINDOWS-1251" || p.charset == "CP1251") return cp1251::decode(bytes);
    return decodeUndeclared(bytes);
}

// 3.0 and 4.0 escape "\", ",", ";" and line breaks; 2.1 only ";".
QString unescaped(QStringView text, bool escapes) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[i + 1];
        if (next == u';' || (escapes && (next == u',' || next == u'\\'))) {
            out += next;
            ++i;
        } else if (escapes && (next == u'n' || next == u'N')) {
            out += u'\n';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The components of a structured value (N), split at the ";" that are not escaped.
QStringList components(const QString& text, bool escapes) {
    QStringList parts;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] == u'\\') {
            ++i;
            continue;
        }
        if (i == text.size() || text[i] == u';') {
            parts << unescaped(QStringView(text).mid(from, i - from), escapes);
            from = i + 1;
        }
    }
    return parts;
}

struct Card {
    int line = 0;
    bool escapes = true; // 3.0 and 4.0; 2.1 keeps "\" as it is
    QString fn, n, bday;
    bool hasN = false, hasBday = false;
};

void readCard(ReadResult& result, const Card& card, Date today) {
    QString name = storableName(card.fn);
    if (name.isEmpty() && card.hasN) {
        const QStringList parts = components(card.n, card.escapes);
        const QString given = parts.value(1).trimmed();
        const QString family = parts.value(0).trimmed();
        name = given.isEmpty() ? family : family.isEmpty() ? given : given + u' ' + family;
    }
    take(result, card.line, name, card.hasBday ? card.bday : QString(), today);
}

bool isQuotedPrintable(const QByteArray& line) {
    const qsizetype colon = line.indexOf(':');
    return colon > 0 && line.left(colon).toUpper().contains("QUOTED-PRINTABLE");
}

} // namespace

QString storableName(const QString& name) {
    QString text = name;
    for (QChar& c : text) {
        const auto category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph)
            c = u' ';
    }
    return text.simplified();
}

ReadResult readVCards(const QByteArray& input) {
    const QByteArray bytes = withoutUtf16(input);
    const Date now = today();
    ReadResult result;

    // Physical lines (LF or CRLF) joined into logical ones: a line that starts with a blank or tab goes on
    // the previous one (2.1 keeps that blank, 3.0 and 4.0 drop it), and a quoted-printable value that ends
    // in "=" goes on over the next line.
    std::optional<Card> card;
    int depth = 0; // a 2.1 AGENT may hold a card within the card
    QByteArray logical;
    int logicalLine = 0;
    bool logicalIsQuotedPrintable = false; // judged on its first line, so a long value is not searched again
    const auto handle = [&](const QByteArray& line, int lineNo) {
        const std::optional<Property> p = parseProperty(line);
        if (!p) return;
        const QByteArray value = p->value.trimmed().toUpper();
        if (p->name == "BEGIN" && value == "VCARD") {
            if (depth++ == 0) {
                card.emplace();
                card->line = lineNo;
            }
            return;
        }
        if (p->name == "END" && value == "VCARD") {
            if (depth > 0 && --depth == 0 && card) {
                readCard(result, *card, now);
                card.reset();
            }
            return;
        }
        if (!card || depth != 1) return;
        if (p->name == "VERSION") {
            card->escapes = value != "2.1";
        } else if (p->name == "FN" && card->fn.trimmed().isEmpty()) {
            card->fn = unescaped(propertyText(*p), card->escapes);
        } else if (p->name == "N" && !card->hasN) {
            card->n = propertyText(*p);
            card->hasN = true;
        } else if (p->name == "BDAY" && !card->hasBday) {
            card->bday = propertyText(*p);
            card->hasBday = true;
        }
    };

    int lineNo = 0;
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', from);
        if (end < 0) end = bytes.size();
        QByteArray line = bytes.mid(from, end - from);
        if (line.endsWith('\r')) line.chop(1);
        from = end + 1;
        ++lineNo;
        if (tooMany(result)) return tooManyRefused();
        const bool continued = !line.isEmpty() && (line[0] == ' ' || line[0] == '\t');
        const bool softBreak = logicalIsQuotedPrintable && logical.endsWith('=');
        if (logicalLine > 0 && (continued || softBreak)) {
            if (softBreak) logical.chop(1);
            const bool keepBlank = !softBreak && card && !card->escapes;
            logical += keepBlank || !continued ? line : line.mid(1);
            continue;
        }
        if (logicalLine > 0) handle(logical, logicalLine);
        logical = line;
        logicalLine = lineNo;
        logicalIsQuotedPrintable = isQuotedPrintable(line);
    }
    if (logicalLine > 0) handle(logical, logicalLine);
    if (card) readCard(result, *card, now); // a file cut before END:VCARD: what it holds still counts
    return finished(std::move(result));
}

// --- CSV ---------------------------------------------------------------------------------------------

namespace {

constexpr qsizetype kMaxFields = 1024;

struct Row {
    int line = 0;
    QStringList fields;
};

QChar detectSeparator(QStringView text) {
    int semicolons = 0, commas = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"') quoted = !quoted;
        if (quoted) continue;
        if (c == u'\n') break;
        semicolons += c == u';';
        commas += c == u',';
        tabs += c == u'\t';
    }
    if (tabs > semicolons && tabs > commas) return u'\t';
    return semicolons >= commas && semicolons > 0 ? u';' : u',';
}

// RFC 4180: fields in double quotes may hold the separator, line breaks and doubled quotes. Each row
// keeps the physical line it starts on. Rows are read one at a time, so that only the people found are
// kept, not every row of the file. Rows of nothing but separators are no people; beyond kMaxFields a row's
// fields are dropped. A quote left open swallows the rest of the file: that is said, not silently dropped.
class CsvRows {
public:
    CsvRows(QStringView text, QChar separator) : m_text(text), m_separator(separator) {}

    std::optional<Row> next(ReadResult& result) {
        while (m_at < m_text.size()) {
            Row row{m_line, {}};
            const bool complete = readRow(row);
            if (!complete) {
                result.skipped.append(
                    {m_quoteLine,
                     {},
                     u"кавычка не закрыта: строки с %1 до конца файла не прочитаны"_s.arg(m_quoteLine)});
                return std::nullopt;
            }
            if (std::any_of(row.fields.cbegin(), row.fields.cend(),
                            [](const QString& f) { return !f.trimmed().isEmpty(); }))
                return row;
        }
        return std::nullopt;
    }

private:
    // One row up to its line end or the end of the text; false when a quote is left open.
    bool readRow(Row& row) {
        QString field;
        bool quoted = false;
        bool fieldStarted = false;
        const auto endField = [&] {
            if (row.fields.size() < kMaxFields) row.fields << field;
            field.clear();
            fieldStarted = false;
        };
        for (; m_at < m_text.size(); ++m_at) {
            const QChar c = m_text[m_at];
            if (quoted) {
                if (c == u'"' && m_at + 1 < m_text.size() && m_text[m_at + 1] == u'"') {
                    field += u'"';
                    ++m_at;
                } else if (c == u'"') {
                    quoted = false;
                } else {
                    m_line += c == u'\n';
                    field += c;
                }
            } else if (c == u'"' && !fieldStarted) {
                quoted = fieldStarted = true;
                m_quoteLine = m_line;
            } else if (c == m_separator) {
                endField();
            } else if (c == u'\n' ||
                       (c == u'\r' && (m_at + 1 == m_text.size() || m_text[m_at + 1] != u'\n'))) {
                ++m_at;
                ++m_line;
                endField();
                return true;
            } else if (c != u'\r') {
                field += c;
                fieldStarted = true;
            }
        }
        if (quoted) return false;
        endField();
        return true;
    }

    QStringView m_text;
    QChar m_separator;
    qsizetype m_at = 0;
    int m_line = 1;
    int m_quoteLine = 0;
};

QString headerKey(const QString& text) {
    return text.trimmed().toCaseFolded().replace(u'ё', u'е').replace(u'_', u' ').replace(u'-', u' ');
}

enum class Column { None, FullName, First, Middle, Last, Birthday };

Column columnByHeader(const QString& header) {
    static const QHash<QString, Column> known{
        {u"имя"_s, Column::First},
        {u"фио"_s, Column::FullName},
        {u"полное имя"_s, Column::FullName},
        {u"имя и фамилия"_s, Column::FullName},
        {u"контакт"_s, Column::FullName},
        {u"name"_s, Column::FullName},
        {u"full name"_s, Column::FullName},
        {u"display name"_s, Column::FullName},
        {u"first name"_s, Column::First},
        {u"given name"_s, Column::First},
        {u"отчество"_s, Column::Middle},
        {u"middle name"_s, Column::Middle},
        {u"additional name"_s, Column::Middle},
        {u"фамилия"_s, Column::Last},
        {u"last name"_s, Column::Last},
        {u"family name"_s, Column::Last},
        {u"surname"_s, Column::Last},
        {u"дата рождения"_s, Column::Birthday},
        {u"день рождения"_s, Column::Birthday},
        {u"др"_s, Column::Birthday},
        {u"birthday"_s, Column::Birthday},
        {u"birth date"_s, Column::Birthday},
        {u"birthdate"_s, Column::Birthday},
        {u"date of birth"_s, Column::Birthday},
        {u"bday"_s, Column::Birthday},
    };
    return known.value(headerKey(header), Column::None);
}

// A name our export guarded against spreadsheets: a leading apostrophe before what would start a formula
// (an apostrophe before an apostrophe so guarded, too, so that every name comes back as written).
bool startsLikeFormula(QStringView name) {
    qsizetype i = 0;
    while (i < name.size() && name[i] == u' ')
        ++i;
    if (i == name.size()) return false;
    const QChar c = name[i];
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}
bool needsGuard(QStringView name) {
    for (qsizetype i = 0;; ++i) {
        if (startsLikeFormula(name.mid(i))) return true;
        if (i >= name.size() || name[i] != u'\'') return false;
    }
}

QString unguarded(const QString& name) {
    return name.startsWith(u'\'') && needsGuard(QStringView(name).mid(1)) ? name.mid(1) : name;
}

bool hasLetter(QStringView text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

} // namespace

ReadResult readCsv(const QByteArray& input) {
    QByteArray bytes = withoutUtf16(input);
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    const QString text = decodeUndeclared(bytes);
    const Date now = today();
    ReadResult result;
    CsvRows reader(text, detectSeparator(text));
    // The header and the rows the columns are told by; the rest is read row by row.
    QList<Row> rows;
    while (rows.size() < 201) {
        std::optional<Row> row = reader.next(result);
        if (!row) break;
        rows.append(*std::move(row));
    }
    if (rows.isEmpty()) return finished(std::move(result));

    qsizetype fullName = -1, first = -1, middle = -1, last = -1, birthday = -1;
    bool header = false;
    const QStringList& head = rows.first().fields;
    for (qsizetype i = 0; i < head.size(); ++i) {
        qsizetype* column = nullptr;
        switch (columnByHeader(head[i])) {
        case Column::FullName:
            column = &fullName;
            break;
        case Column::First:
            column = &first;
            break;
        case Column::Middle:
            column = &middle;
            break;
        case Column::Last:
            column = &last;
            break;
        case Column::Birthday:
            column = &birthday;
            break;
        case Column::None:
            break;
        }
        if (column && *column < 0) {
            *column = i;
            header = true;
        }
    }
    // "Имя" alone is the whole name; beside "Фамилия" it is the first name.
    const qsizetype dataFrom = header ? 1 : 0;
    const qsizetype sample = rows.size();
    qsizetype columns = 0; // a name or date column without a header is looked for among the first 256
    for (qsizetype r = dataFrom; r < sample; ++r)
        columns = std::min<qsizetype>(256, std::max(columns, rows[r].fields.size()));
    if (birthday < 0) {
        // The column whose values are mostly dates.
        int best = 0;
        for (qsizetype col = 0; col < columns; ++col) {
            int dates = 0, filled = 0;
            for (qsizetype r = dataFrom; r < sample; ++r) {
                if (col >= rows[r].fields.size()) continue;
                const QString& value = rows[r].fields[col];
                if (value.trimmed().isEmpty()) continue;
                ++filled;
                const DateRead read = readDate(value, now);
                dates += read.kind != DateRead::Invalid;
            }
            if (dates * 2 > filled && dates > best) {
                best = dates;
                birthday = col;
            }
        }
    }
    const bool byHeaderName = fullName >= 0 || first >= 0 || last >= 0;
    if (!byHeaderName) {
        // The first other column that holds text.
        for (qsizetype col = 0; col < columns && fullName < 0; ++col) {
            int texts = 0, filled = 0;
            for (qsizetype r = dataFrom; r < sample; ++r) {
                if (col == birthday || col >= rows[r].fields.size()) continue;
                const QString& value = rows[r].fields[col];
                if (value.trimmed().isEmpty()) continue;
                ++filled;
                texts += hasLetter(value);
            }
            if (texts > 0 && texts * 2 >= filled) fullName = col;
        }
    }
    if (birthday < 0) {
        result.refusal = u"В файле не найден столбец с датами рождения."_s;
        return result;
    }
    if (fullName < 0 && first < 0 && last < 0) {
        result.refusal = u"В файле не найден столбец с именами."_s;
        return result;
    }
    // Without a header of known words, the first row is read as a person: a header of other words shows in
    // the preview as a row without a date rather than hiding a person.
    const auto person = [&](const Row& row) {
        QString name = unguarded(row.fields.value(fullName));
        if (storableName(name).isEmpty()) {
            QStringList parts;
            for (const qsizetype col : {first, middle, last})
                if (col >= 0) parts << unguarded(row.fields.value(col));
            name = parts.join(u' ');
        }
        take(result, row.line, name, row.fields.value(birthday), now);
    };
    for (qsizetype r = dataFrom; r < rows.size(); ++r)
        person(rows[r]);
    rows.clear();
    while (const std::optional<Row> row = reader.next(result)) {
        if (tooMany(result)) return tooManyRefused();
        person(*row);
    }
    return finished(std::move(result));
}

ReadResult readContactsFile(const QString& path) {
    ReadResult result;
    const safefile::Contents file = safefile::read(path, kMaxImportBytes, safefile::Links::AnyRegularFile);
    switch (file.status) {
    case safefile::Status::Ok:
        break;
    case safefile::Status::Missing:
        result.refusal = u"Файл не найден."_s;
        return result;
    case safefile::Status::Unreadable:
        result.refusal = u"Не удаётся прочитать файл: это не обычный файл или к нему нет доступа."_s;
        return result;
    case safefile::Status::TooLarge:
        result.refusal = u"Файл больше 16 МБ: файлы контактов такого размера программа не читает."_s;
        return result;
    }
    const QByteArray bytes = withoutUtf16(file.bytes);
    // A file of contacts is text: a NUL byte or a run of control bytes near its start mean something else.
    const QByteArrayView head = QByteArrayView(bytes).first(std::min<qsizetype>(bytes.size(), 4096));
    const auto control = std::count_if(head.begin(), head.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && c != '\t' && c != '\r' && c != '\n' && c != '\f') || u == 0x7F;
    });
    if (head.contains('\0') || control * 20 > head.size()) {
        result.refusal = u"Файл не похож на файл контактов (vCard или CSV)."_s;
        return result;
    }
    QByteArrayView start = bytes;
    if (start.startsWith("\xEF\xBB\xBF")) start = start.sliced(3);
    start = start.trimmed();
    if (start.first(std::min<qsizetype>(start.size(), 11)).toByteArray().toUpper() == "BEGIN:VCARD")
        return readVCards(bytes);
    return readCsv(bytes);
}

// --- Writing -----------------------------------------------------------------------------------------

namespace {

// Digits with leading zeros, without the cost of QString::arg for each of 20 000 dates.
void appendNumber(QString& out, int value, int width) {
    char digits[12];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0 && n < 12);
    for (int i = n; i < width; ++i)
        out += u'0';
    while (n > 0)
        out += QLatin1Char(digits[--n]);
}

QString dottedDate(Date date) {
    const YearMonthDay ymd = decodeDate(date);
    QString text;
    text.reserve(10);
    appendNumber(text, ymd.day, 2);
    text += u'.';
    appendNumber(text, ymd.month, 2);
    text += u'.';
    appendNumber(text, ymd.year, 4);
    return text;
}

QString csvField(const QString& text) {
    if (!text.contains(u';') && !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n'))
        return text;
    QString quoted = text;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString vcardEscaped(const QString& text) {
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'\\' || c == u',' || c == u';')
            out += u'\\';
        else if (c == u'\n') {
            out += u"\\n"_s;
            continue;
        } else if (c == u'\r')
            continue;
        out += c;
    }
    return out;
}

// Lines of at most 75 octets; a continuation starts with a blank. Never inside a UTF-8 sequence.
void appendFolded(QByteArray& out, const QByteArray& line) {
    qsizetype from = 0;
    qsizetype room = 75;
    while (line.size() - from > room) {
        qsizetype cut = from + room;
        while (cut > from && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out += QByteArrayView(line).sliced(from, cut - from);
        out += "\r\n ";
        from = cut;
        room = 74;
    }
    out += QByteArrayView(line).sliced(from);
    out += "\r\n";
}

} // namespace

QByteArray writeCsv(const QList<NamedEntry>& people) {
    QString text = u"Имя;Дата рождения\r\n"_s;
    for (const NamedEntry& person : people) {
        const QString name = needsGuard(person.name) ? u'\'' + person.name : person.name;
        text += csvField(name) + u';' + (person.entry.date == 0 ? QString() : dottedDate(person.entry.date)) +
                u"\r\n"_s;
    }
    return "\xEF\xBB\xBF" + text.toUtf8();
}

QByteArray writeVCards(const QList<NamedEntry>& people) {
    QByteArray out;
    out.reserve(people.size() * 96);
    for (const NamedEntry& person : people) {
        const QString name = person.name;
        const qsizetype blank = name.lastIndexOf(u' ');
        const QString family = blank < 0 ? QString() : name.mid(blank + 1);
        const QString given = blank < 0 ? name : name.left(blank);
        out += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
        appendFolded(out, "FN:" + vcardEscaped(name).toUtf8());
        appendFolded(out, "N:" + vcardEscaped(family).toUtf8() + ';' + vcardEscaped(given).toUtf8() + ";;;");
        if (person.entry.date != 0) {
            const YearMonthDay ymd = decodeDate(person.entry.date);
            QString bday = u"BDAY:"_s;
            appendNumber(bday, ymd.year, 4);
            appendNumber(bday, ymd.month, 2);
            appendNumber(bday, ymd.day, 2);
            out += bday.toLatin1() + "\r\n";
        }
        out += "END:VCARD\r\n";
    }
    return out;
}

// --- The plan of an import ---------------------------------------------------------------------------

ImportPlan planImport(const ReadResult& read, const QList<NamedEntry>& stored) {
    ImportPlan plan;
    QHash<QString, qsizetype> storedAt; // case-folded name: its first entry
    storedAt.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i)
        if (const QString folded = stored[i].name.toCaseFolded(); !storedAt.contains(folded))
            storedAt.insert(folded, i);

    QList<Skipped> skipped = read.skipped;
    QHash<QString, int> firstLine; // case-folded name: the row that counts
    QSet<QString> taken;           // every name in use: stored, planned, numbered
    taken.reserve(stored.size() + read.contacts.size());
    for (auto it = storedAt.cbegin(); it != storedAt.cend(); ++it)
        taken.insert(it.key());
    for (const Contact& contact : read.contacts) {
        const QString folded = contact.name.toCaseFolded();
        if (const auto seen = firstLine.constFind(folded); seen != firstLine.cend()) {
            skipped.append({contact.line, contact.name, u"повторяется в файле, см. строку %1"_s.arg(*seen)});
            continue;
        }
        firstLine.insert(folded, contact.line);
        taken.insert(folded);
        ImportItem item;
        item.contact = contact;
        if (const auto found = storedAt.constFind(folded); found != storedAt.cend()) {
            item.conflict = true;
            item.storedName = stored[*found].name;
            item.storedDate = stored[*found].entry.date;
        }
        plan.items.append(std::move(item));
    }
    // Numbered names once every planned name is known, so that none is taken twice. A numbered name
    // that would be too long to store gets a shorter base rather than being refused with the whole batch.
    for (ImportItem& item : plan.items) {
        if (!item.conflict) continue;
        for (int n = 2;; ++n) {
            const QString suffix = u" (%1)"_s.arg(n);
            const QString base = item.contact.name.left(NameStore::kMaxNameLength - suffix.size()).trimmed();
            const QString candidate = base + suffix;
            const QString folded = candidate.toCaseFolded();
            if (taken.contains(folded)) continue;
            taken.insert(folded);
            item.numberedName = candidate;
            break;
        }
    }
    std::stable_sort(skipped.begin(), skipped.end(),
                     [](const Skipped& a, const Skipped& b) { return a.line < b.line; });
    plan.skipped = std::move(skipped);
    return plan;
}

QList<NamedEntry> entriesToWrite(const ImportPlan& plan) {
    QList<NamedEntry> entries;
    entries.reserve(plan.items.size());
    for (const ImportItem& item : plan.items) {
        const PersonEntry entry{item.contact.birthDate, false, false, 0};
        if (!item.conflict)
            entries.append({item.contact.name, entry});
        else if (item.choice == ConflictChoice::Replace)
            entries.append({item.storedName, entry});
        else if (item.choice == ConflictChoice::AddNumbered)
            entries.append({item.numberedName, entry});
    }
    return entries;
}

} // namespace solvenna::contacts
