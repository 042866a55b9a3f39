#include "core/contacts.h"
#include "core/namestore.h"

#include "ordinaryuser.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace solvenna;
using namespace solvenna::contacts;
using namespace Qt::Literals::StringLiterals;

namespace {
const QLocale kRussian(QLocale::Russian, QLocale::Russia);
const double kLion = encodeDate(1975, 8, 15);

QByteArray card(const QByteArray& version, const QByteArray& body) {
    return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + body + "END:VCARD\r\n";
}

// What a reader found, one text per person or skipped row, so a table row can say it in one line.
QStringList found(const ReadResult& r) {
    QStringList lines;
    for (const Contact& c : r.contacts)
        lines << u"%1: %2 %3"_s.arg(c.line).arg(c.name, toQDate(c.birthDate).toString(Qt::ISODate));
    for (const Skipped& s : r.skipped)
        lines << u"%1: skipped: %2"_s.arg(s.line).arg(s.reason);
    return lines;
}
} // namespace

class ContactsTest : public QObject {
    Q_OBJECT
public:
    // A refused write needs an ordinary user.
    static void initMain() { testsupport::runAsOrdinaryUser(); }

private Q_SLOTS:
    void init();

    void readVCard_data();
    void readVCard();
    void readCsv_data();
    void readCsv();
    void readContactsFile_data();
    void readContactsFile();
    void storableName_data();
    void storableName();

    void planImport_conflictsAndRepeats();
    void planImport_tenThousandDuplicates();
    void entriesToWrite_followsTheChoices();

    void writers_exactBytes();
    void roundTrip_data();
    void roundTrip();

    void writeSections_sameAsWriteValuesOneByOne();
    void writeAll_nameWithBracketsAndEquals_readsBack();
    void writeAll_refusedBatch_leavesTheFile_data();
    void writeAll_refusedBatch_leavesTheFile();
    void writeAll_keepsWhatAnotherWriterAdded();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString folder() const { return m_dir->path() + u'/'; }
};

void ContactsTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void ContactsTest::readVCard_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("expected"); // as found() gives it
    const QByteArray lion = "BDAY:1975-08-15\r\n";
    const auto row = [](const char* name, const QByteArray& file, const QString& expected) {
        QTest::newRow(name) << file << expected;
    };
    row("2.1 FN", card("2.1", "FN:Anna Petrova\r\n" + lion), u"1: Anna Petrova 1975-08-15"_s);
    row("3.0 group and VALUE=date", card("3.0", "item1.FN:Анна\r\nBDAY;VALUE=date:1975-08-15\r\n"),
        u"1: Анна 1975-08-15"_s);
    row("4.0 folded inside a letter", card("4.0", "FN:\xD0\x90\xD0\r\n \xBD\xD0\xBD\xD0\xB0\r\n" + lion),
        u"1: Анна 1975-08-15"_s);
    row("folded with LF and a tab",
        QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:Ан\n\tна\nBDAY:19750815\nEND:VCARD\n"),
        u"1: Анна 1975-08-15"_s);
    row("2.1 folding keeps the blank", card("2.1", "FN:Anna\r\n Petrova\r\n" + lion),
        u"1: Anna Petrova 1975-08-15"_s);
    row("2.1 quoted-printable UTF-8, soft break",
        card("2.1", "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=90=D0=BD=\r\n=D0=BD=D0=B0\r\n" + lion),
        u"1: Анна 1975-08-15"_s);
    row("2.1 bare QUOTED-PRINTABLE, windows-1251",
        card("2.1", "FN;CHARSET=windows-1251;QUOTED-PRINTABLE:=C0=ED=ED=E0\r\n" + lion),
        u"1: Анна 1975-08-15"_s);
    row("parameters in lower case",
        card("2.1", "fn;charset=utf-8;encoding=quoted-printable:=D0=90\r\n" + lion), u"1: А 1975-08-15"_s);
    row("3.0 escapes", card("3.0", "FN:Smith\\, Anna\\; Jr\\\\\r\n" + lion),
        u"1: Smith, Anna; Jr\\ 1975-08-15"_s);
    row("N when no FN: given family", card("3.0", "N:Петрова;Анна;Ивановна;;\r\n" + lion),
        u"1: Анна Петрова 1975-08-15"_s);
    row("N with family only", card("3.0", "FN:\r\nN:Петрова;;;;\r\n" + lion), u"1: Петрова 1975-08-15"_s);
    row("BDAY with time Z", card("3.0", "FN:A\r\nBDAY:1975-08-15T00:00:00Z\r\n"), u"1: A 1975-08-15"_s);
    row("BDAY with offset", card("3.0", "FN:A\r\nBDAY:1975-08-15T23:30:00+03:00\r\n"), u"1: A 1975-08-15"_s);
    row("BDAY --0815", card("4.0", "FN:A\r\nBDAY:--0815\r\n"),
        u"1: skipped: в дате рождения нет года: «--0815»"_s);
    row("BDAY --08-15", card("4.0", "FN:A\r\nBDAY:--08-15\r\n"),
        u"1: skipped: в дате рождения нет года: «--08-15»"_s);
    row("BDAY garbage", card("3.0", "FN:A\r\nBDAY:garbage\r\n"),
        u"1: skipped: не удаётся прочитать дату рождения: «garbage»"_s);
    row("BDAY 0000-00-00", card("3.0", "FN:A\r\nBDAY:0000-00-00\r\n"),
        u"1: skipped: не удаётся прочитать дату рождения: «0000-00-00»"_s);
    row("BDAY 31 February", card("3.0", "FN:A\r\nBDAY:1990-02-31\r\n"),
        u"1: skipped: не удаётся прочитать дату рождения: «1990-02-31»"_s);
    row("BDAY garbage of 100 characters is cut", card("3.0", "FN:A\r\nBDAY:" + QByteArray(100, '7') + "\r\n"),
        u"1: skipped: не удаётся прочитать дату рождения: «"_s + QString(40, u'7') + u"…»"_s);
    row("BDAY 01.01.1900", card("3.0", "FN:A\r\nBDAY:1900-01-01\r\n"),
        u"1: skipped: дата рождения не позже 01.01.1900: «1900-01-01»"_s);
    const QByteArray tomorrow = QDate::currentDate().addDays(1).toString(Qt::ISODate).toLatin1();
    row("BDAY tomorrow", card("3.0", "FN:A\r\nBDAY:" + tomorrow + "\r\n"),
        u"1: skipped: дата рождения ещё не наступила: «"_s + QString::fromLatin1(tomorrow) + u"»"_s);
    row("no BDAY", card("3.0", "FN:A\r\n"), u"1: skipped: нет даты рождения"_s);
    row("no name", card("3.0", "FN: \r\nN:;;;;\r\n" + lion), u"1: skipped: нет имени"_s);
    row("invalid UTF-8 read as windows-1251", card("3.0", "FN:\xC0\xED\xED\xE0\r\n" + lion),
        u"1: Анна 1975-08-15"_s);
    row("100 000-character name", card("3.0", "FN:" + QByteArray(100000, 'x') + "\r\n" + lion),
        u"1: skipped: имя длиннее 255 знаков"_s);
    row("FN with [ ] = and a line break", card("3.0", "FN:[Анна] =\\nКот\r\n" + lion),
        u"1: [Анна] = Кот 1975-08-15"_s);
    row("2.1 QP line break in FN", card("2.1", "FN;QUOTED-PRINTABLE:A=0D=0AB\r\n" + lion),
        u"1: A B 1975-08-15"_s);
}

void ContactsTest::readVCard() {
    QFETCH(QByteArray, file);
    QFETCH(QString, expected);
    const ReadResult read = readVCards(file);
    QVERIFY(!read.refused());
    QCOMPARE(found(read), QStringList{expected});
}

void ContactsTest::readCsv_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");
    const QStringList anna{u"2: Анна 1975-08-15"_s};
    QTest::newRow("UTF-8 with BOM, ;")
        << QByteArray("\xEF\xBB\xBFИмя;Дата рождения\r\nАнна;15.08.1975\r\n") << anna;
    QTest::newRow("UTF-8, comma, English header")
        << QByteArray("Phone,Name,Birthday\nx,Анна,1975-08-15\n") << anna;
    QTest::newRow("windows-1251") << QByteArray(
                                         "\xC8\xEC\xFF;\xC4\xE5\xED\xFC \xF0\xEE\xE6\xE4\xE5\xED\xE8\xFF\r\n"
                                         "\xC0\xED\xED\xE0;15.08.1975\r\n")
                                  << anna;
    QTest::newRow("First Name and Last Name joined")
        << QByteArray("First Name,Middle Name,Last Name,E-mail,Birthday\nАнна,,Петрова,a@b,5.8.1975\n")
        << QStringList{u"2: Анна Петрова 1975-08-05"_s};
    QTest::newRow("quotes, line breaks and separators inside")
        << QByteArray("ФИО;Заметка;ДР\r\n\"Анна \"\"Кот\"\"; Петрова\";\"a\r\nb\r\nc\";15.08.1975\r\n"
                      "Борис;;1980-02-02\r\n")
        << QStringList{u"2: Анна \"Кот\"; Петрова 1975-08-15"_s, u"5: Борис 1980-02-02"_s};
    QTest::newRow("no header: columns by content")
        << QByteArray("15.08.1975,Анна,7\n1980-02-02,Борис,8\n--0101,Вера,9\n")
        << QStringList{u"1: Анна 1975-08-15"_s, u"2: Борис 1980-02-02"_s,
                       u"3: skipped: в дате рождения нет года: «--0101»"_s};
    QTest::newRow("our apostrophe before a formula removed")
        << QByteArray("Имя;Дата рождения\r\n'=Анна;15.08.1975\r\n'Борис;02.02.1980\r\n")
        << QStringList{u"2: =Анна 1975-08-15"_s, u"3: 'Борис 1980-02-02"_s};
    QTest::newRow("bad dates") << QByteArray("Name;BDAY\nA;31.02.1990\nB;\nC;garbage\n")
                               << QStringList{
                                      u"2: skipped: не удаётся прочитать дату рождения: «31.02.1990»"_s,
                                      u"3: skipped: нет даты рождения"_s,
                                      u"4: skipped: не удаётся прочитать дату рождения: «garbage»"_s};
    QTest::newRow("a quote left open")
        << QByteArray("Имя;Дата рождения\nАнна;15.08.1975\n\"Борис;01.01.1980\nВера;01.01.1980\n")
        << QStringList{u"2: Анна 1975-08-15"_s,
                       u"3: skipped: кавычка не закрыта: строки с 3 до конца файла не прочитаны"_s};
}

void ContactsTest::readCsv() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    const ReadResult read = contacts::readCsv(file);
    QCOMPARE(read.refusal, QString());
    QCOMPARE(found(read), expected);
}

void ContactsTest::readContactsFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("size"); // > 0: the file extended to this size without writing it; -1: a folder
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<int>("people");
    const QString notContacts = u"Файл не похож на файл контактов (vCard или CSV)."_s;
    QTest::newRow("vCard by content")
        << card("3.0", "FN:A\r\nBDAY:19750815\r\n") << qint64(0) << QString() << 1;
    QTest::newRow("CSV by content") << QByteArray("Имя;Дата рождения\nA;15.08.1975\n") << qint64(0)
                                    << QString() << 1;
    const QString utf16 = u"BEGIN:VCARD\r\nFN:Анна\r\nBDAY:19750815\r\nEND:VCARD\r\n"_s;
    QTest::newRow("UTF-16 vCard") << "\xFF\xFE" + QByteArray(reinterpret_cast<const char*>(utf16.utf16()),
                                                             utf16.size() * 2)
                                  << qint64(0) << QString() << 1;
    QByteArray binary("BEGIN:VCARD\r\n\x7F\x45\x4C\x46\x02\x01\x01", 20);
    for (int i = 0; i < 256; ++i)
        binary += char(i);
    QTest::newRow("binary file named .vcf") << binary << qint64(0) << notContacts << 0;
    QTest::newRow("control bytes") << QByteArray(600, '\x01') + "Имя;Дата\n" << qint64(0) << notContacts << 0;
    QTest::newRow("200 MB") << card("3.0", "FN:A\r\nBDAY:19750815\r\n") << qint64(200) * 1024 * 1024
                            << u"Файл больше 16 МБ: файлы контактов такого размера программа не читает."_s
                            << 0;
    QTest::newRow("a folder") << QByteArray() << qint64(-1)
                              << u"Не удаётся прочитать файл: это не обычный файл или к нему нет доступа."_s
                              << 0;
    QByteArray rows = "Name;BDAY\n";
    for (int i = 0; i <= 100000; ++i)
        rows += "a;\n";
    QTest::newRow("100 001 rows")
        << rows << qint64(0)
        << u"В файле больше 100 000 записей: файлы контактов такого размера программа не читает."_s << 0;
    QTest::newRow("empty") << QByteArray() << qint64(0) << u"В файле не найдено ни одного контакта."_s << 0;
    QTest::newRow("text without dates") << QByteArray("hello\nworld\n") << qint64(0)
                                        << u"В файле не найден столбец с датами рождения."_s << 0;
}

void ContactsTest::readContactsFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, size);
    QFETCH(QString, refusal);
    QFETCH(int, people);
    const QString path = folder() + u"contacts.vcf"_s;
    QVERIFY(size < 0 ? QDir().mkdir(path) : testsupport::writeBytes(path, bytes));
    if (size > 0) QVERIFY(QFile::resize(path, size)); // sparse: nothing of it is written
    const ReadResult read = contacts::readContactsFile(path);
    QCOMPARE(read.refusal, refusal);
    QCOMPARE(read.contacts.size(), people);
}

void ContactsTest::storableName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::newRow("line breaks and tabs") << u"  Анна\r\n\tПетрова \u2028 "_s << u"Анна Петрова"_s;
    QTest::newRow("control characters") << u"A\u0001\u007F\u0085B"_s << u"A B"_s;
    QTest::newRow("brackets and = kept") << u"[Анна] = x"_s << u"[Анна] = x"_s;
}

void ContactsTest::storableName() {
    QFETCH(QString, name);
    QTEST(contacts::storableName(name), "stored");
}

void ContactsTest::planImport_conflictsAndRepeats() {
    ReadResult read;
    read.contacts = {
        {u"анна"_s, kLion, 1}, {u"Анна (3)"_s, kLion, 2}, {u"Борис"_s, kLion, 3}, {u"АННА"_s, kLion, 4}};
    read.skipped = {{2, u"Кто-то"_s, u"нет даты рождения"_s}};
    const QList<NamedEntry> stored{{u"Анна"_s, {encodeDate(1990, 1, 2), true, true, 3}},
                                   {u"анна (2)"_s, {kLion, false, false, 0}}};
    const ImportPlan plan = planImport(read, stored);
    QCOMPARE(plan.items.size(), 3);
    const ImportItem& anna = plan.items[0];
    QVERIFY(anna.conflict);
    QCOMPARE(anna.storedName, u"Анна"_s);
    QCOMPARE(anna.storedDate, encodeDate(1990, 1, 2));
    QCOMPARE(anna.choice, ConflictChoice::KeepStored);
    QCOMPARE(anna.numberedName, u"анна (4)"_s); // (2) is stored, (3) comes from the file
    QVERIFY(!plan.items[1].conflict);
    QCOMPARE(plan.items[2].contact.name, u"Борис"_s);
    QCOMPARE(plan.skipped.size(), 2);
    QCOMPARE(plan.skipped[0].line, 2);
    QCOMPARE(plan.skipped[1].line, 4);
    QCOMPARE(plan.skipped[1].reason, u"повторяется в файле, см. строку 1"_s);
}

void ContactsTest::planImport_tenThousandDuplicates() {
    QByteArray file;
    for (int i = 0; i < 10000; ++i)
        file += card("4.0", "FN:Анна\r\nBDAY:19750815\r\n");
    const ImportPlan plan = planImport(readVCards(file), {});
    QCOMPARE(plan.items.size(), 1);
    QCOMPARE(plan.skipped.size(), 9999);
    QCOMPARE(plan.skipped.last().line, 9999 * 5 + 1);
    QCOMPARE(plan.skipped.last().reason, u"повторяется в файле, см. строку 1"_s);
}

void ContactsTest::entriesToWrite_followsTheChoices() {
    ReadResult read;
    read.contacts = {
        {u"Новый"_s, kLion, 1}, {u"анна"_s, kLion, 2}, {u"борис"_s, kLion, 3}, {u"вера"_s, kLion, 4}};
    const PersonEntry old{encodeDate(1990, 1, 2), true, true, 3};
    ImportPlan plan = planImport(read, {{u"Анна"_s, old}, {u"Борис"_s, old}, {u"Вера"_s, old}});
    plan.items[1].choice = ConflictChoice::Replace;
    plan.items[2].choice = ConflictChoice::AddNumbered; // Вера keeps hers
    const QList<NamedEntry> entries = entriesToWrite(plan);
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0].name, u"Новый"_s);
    QCOMPARE(entries[1].name, u"Анна"_s);
    QCOMPARE(entries[2].name, u"борис (2)"_s);
    for (const NamedEntry& e : entries) {
        QCOMPARE(e.entry.date, kLion);
        QVERIFY(!e.entry.showMain && !e.entry.showHoroscop && e.entry.horoscopType == 0);
    }
}

void ContactsTest::writers_exactBytes() {
    const QList<NamedEntry> people{{u"Анна Петрова"_s, {kLion, true, true, 2}},
                                   {u"a;b \"c\""_s, {encodeDate(2001, 1, 2), false, false, 0}}};
    QCOMPARE(writeCsv(people), QByteArray("\xEF\xBB\xBFИмя;Дата рождения\r\nАнна Петрова;15.08.1975\r\n"
                                          "\"a;b \"\"c\"\"\";02.01.2001\r\n"));
    QCOMPARE(writeVCards(people.first(1)), QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Анна Петрова\r\n"
                                                      "N:Петрова;Анна;;;\r\nBDAY:19750815\r\nEND:VCARD\r\n"));
}

void ContactsTest::roundTrip_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << u"Анна Петрова"_s;
    QTest::newRow("= formula") << u"=HYPERLINK(\"x\";\"y\")"_s;
    QTest::newRow("+ phone") << u"+7 900 000"_s;
    QTest::newRow("- minus") << u"-Анна"_s;
    QTest::newRow("@ at") << u"@anna"_s;
    QTest::newRow("already an apostrophe") << u"'=Анна"_s;
    QTest::newRow("backslash, comma, semicolon") << u"a\\b, c; d"_s;
    QTest::newRow("[ ] = kept") << u"[Анна] = кот"_s;
    QTest::newRow("255 letters folded") << QString(255, u'ж');
}

void ContactsTest::roundTrip() {
    QFETCH(QString, name);
    const QList<NamedEntry> people{{name, {kLion, false, false, 0}},
                                   {u"Борис"_s, {encodeDate(1980, 2, 29), false, false, 0}}};
    const QStringList expected{name + u" 1975-08-15"_s, u"Борис 1980-02-29"_s};
    const auto names = [](const ReadResult& r) {
        QStringList list;
        for (const Contact& c : r.contacts)
            list << c.name + u' ' + toQDate(c.birthDate).toString(Qt::ISODate);
        return list;
    };
    const QByteArray csv = writeCsv(people);
    QCOMPARE(names(contacts::readCsv(csv)), expected);
    // No cell starts like a formula, also inside quotes.
    for (const QByteArray& line : csv.split('\n').mid(1))
        if (!line.isEmpty())
            QVERIFY2(!QByteArray("=+-@").contains(line.startsWith('"') ? line.mid(1, 1) : line.left(1)),
                     line);
    const QByteArray vcf = writeVCards(people);
    QCOMPARE(names(readVCards(vcf)), expected);
    for (const QByteArray& line : vcf.split('\n')) {
        QVERIFY2(line.size() <= 76, line);                // 75 octets and the CR
        QCOMPARE(QString::fromUtf8(line).toUtf8(), line); // no UTF-8 sequence split
    }
}

void ContactsTest::writeSections_sameAsWriteValuesOneByOne() {
    const QByteArray before =
        "\xEF\xBB\xBF; comment\r\n[Анна]\r\ndate=01.01.1990\r\n\r\n[Борис]\r\nDate=02.02.1980\r\n"
        "[анна]\r\nDate=03.03.1970\r\n";
    const QList<IniFile::Section> batch{
        {u"АННА"_s, {{u"Date"_s, u"15.08.1975"_s}, {u"ShowMain"_s, u"0"_s}}},
        {u"Вера"_s, {{u"Date"_s, u"a\nb"_s}}},
        {u"Борис"_s, {{u"ShowMain"_s, u"1"_s}}},
        {u"вера"_s, {{u"Date"_s, u"04.04.2004"_s}, {u"X"_s, u"y"_s}}},
        {u"Анна"_s, {{u"showmain"_s, u"1"_s}}},
    };
    QVERIFY(testsupport::writeBytes(folder() + u"one.ini"_s, before));
    QVERIFY(testsupport::writeBytes(folder() + u"batch.ini"_s, before));
    IniFile one(folder() + u"one.ini"_s);
    for (const IniFile::Section& s : batch)
        one.writeValues(s.name, s.values);
    IniFile(folder() + u"batch.ini"_s).writeSections(batch);
    QCOMPARE(testsupport::readBytes(folder() + u"batch.ini"_s),
             testsupport::readBytes(folder() + u"one.ini"_s));
    QVERIFY(testsupport::readBytes(folder() + u"batch.ini"_s) != before);
}

void ContactsTest::writeAll_nameWithBracketsAndEquals_readsBack() {
    QVERIFY(
        testsupport::writeBytes(folder() + u"names.ini"_s,
                                "[Old]\r\nDate=01.01.1990\r\n[Header only]\r\n[Old]\r\nDate=02.02.1980\r\n"));
    const QStringList odd{u"[Анна] = кот"_s, u"x]"_s, u"a=b"_s};
    QList<NamedEntry> entries;
    for (const QString& name : odd)
        entries.append({name, {kLion, false, false, 0}});
    NameStore(folder(), kRussian).writeAll(entries);
    const NameStore store(folder(), kRussian);
    QCOMPARE(store.names(), QStringList({u"Old"_s, u"Header only"_s}) + odd);
    const QList<NamedEntry> all = store.readAll();
    QCOMPARE(all.size(), 4); // a section without keys is no entry; a repeated one counts once
    QCOMPARE(all[0].entry.date, encodeDate(1990, 1, 1));
    for (qsizetype i = 0; i < odd.size(); ++i) {
        QCOMPARE(all[i + 1].name, odd[i]);
        QCOMPARE(all[i + 1].entry.date, kLion);
        QCOMPARE(store.read(odd[i], 0).date, kLion);
    }
}

void ContactsTest::writeAll_refusedBatch_leavesTheFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("date");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("error");
    QTest::newRow("256 characters") << QString(256, u'ж') << kLion << false
                                    << u"Ничего не сохранено: имя «"_s + QString(40, u'ж') +
                                           u"…» длиннее 255 знаков."_s;
    QTest::newRow("empty name") << u" "_s << kLion << false << u"Ничего не сохранено: одно из имён пустое."_s;
    QTest::newRow("no date") << u"Вера"_s << 0.0 << false
                             << u"Ничего не сохранено: у «Вера» нет даты рождения."_s;
    QTest::newRow("read-only folder") << u"Вера"_s << kLion << true << u"Unable to write to "_s;
}

void ContactsTest::writeAll_refusedBatch_leavesTheFile() {
    QFETCH(QString, name);
    QFETCH(double, date);
    QFETCH(bool, readOnly);
    QFETCH(QString, error);
    const QByteArray before = "[Boris]\r\nDate=02.02.1980\r\n";
    const QString path = folder() + u"names.ini"_s;
    QVERIFY(testsupport::writeBytes(path, before));
    if (readOnly) {
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
        QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    QString thrown;
    try {
        NameStore(folder(), kRussian)
            .writeAll({{u"Анна"_s, {kLion, false, false, 0}},
                       {name, {date, false, false, 0}},
                       {u"Борис"_s, {kLion}}});
    } catch (const std::exception& e) {
        thrown = QString::fromUtf8(e.what());
    }
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY2(thrown.startsWith(error), qPrintable(thrown));
    QCOMPARE(testsupport::readBytes(path), before);
}

void ContactsTest::writeAll_keepsWhatAnotherWriterAdded() {
    NameStore importing(folder(), kRussian);
    importing.write(u"Анна"_s, {encodeDate(1990, 1, 2), true, false, 0});
    const ImportPlan plan =
        planImport(readVCards(card("4.0", "FN:Вера\r\nBDAY:19750815\r\n")), importing.readAll());
    // Another running copy writes while the preview is open.
    NameStore(folder(), kRussian).write(u"Борис"_s, {encodeDate(1980, 2, 2), false, false, 0});
    importing.writeAll(entriesToWrite(plan));
    QCOMPARE(NameStore(folder(), kRussian).names(), (QStringList{u"Анна"_s, u"Борис"_s, u"Вера"_s}));
    QCOMPARE(NameStore(folder(), kRussian).read(u"Борис"_s, 0).date, encodeDate(1980, 2, 2));
}

QTEST_GUILESS_MAIN(ContactsTest)
#include "tst_contacts.moc"
