#include "core/inifile.h"

#include "ordinaryuser.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

namespace {} // namespace

class IniFileTest : public QObject {
    Q_OBJECT
public:
    // Refused writes need an ordinary user.
    static void initMain() { testsupport::runAsOrdinaryUser(); }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void writeThenRead_roundTrip();
    void missingFileSectionOrKey_giveTheFallback();
    void names_matchWithoutLetterCase_data();
    void names_matchWithoutLetterCase();
    void rewrite_keepsPlaceAndEverythingElse();
    void newKey_goesToEndOfItsSection();
    void lfFile_staysLf();
    void eraseSection_removesOnlyThatSection();
    void sectionNames_inFileOrderOnce();
    void sectionNames_stopAtTheListingLimit();
    void longValue_readsUpTo2047Characters();
    void integerForms_data();
    void integerForms();
    void booleans_data();
    void booleans();
    void dates_useTheLocaleWithFourDigitYears();
    void encoding_data();
    void encoding();
    void cp1251File_readsCyrillic();
    void utf16File_isReadAndStaysUtf16_data();
    void utf16File_isReadAndStaysUtf16();
    void unreadableEncoding_isRefusedUntouched_data();
    void unreadableEncoding_isRefusedUntouched();
    void invalidBytes_surviveAWriteElsewhere_data();
    void invalidBytes_surviveAWriteElsewhere();
    void lineBreaksInNames_cannotAddSectionsOrKeys();
    void awkwardFiles_readAndWriteWithoutLoss_data();
    void awkwardFiles_readAndWriteWithoutLoss();
    void randomAndMangledFiles_neverCrashOrLoseEntries();
    void newFile_isPrivate_existingKeepsItsMode();
    void readOnlyFolder_refusesWithExactTextAndKeepsTheFile();
    void readOnlyFile_refusesWrite();
    void missingFolder_isMadePrivateAtTheFirstWrite();
    void folderBlocked_refusesWithExactText_data();
    void folderBlocked_refusesWithExactText();
    void changesByAnotherProcess_areSeen_data();
    void changesByAnotherProcess_areSeen();

private:
    QTemporaryDir* m_dir = nullptr;
    QString path(const QString& name = u"test.ini"_s) const { return m_dir->filePath(name); }
};

void IniFileTest::initTestCase() {}

void IniFileTest::init() {
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
}

// Each case's folder goes with it, the last one too.
void IniFileTest::cleanup() {
    delete m_dir;
    m_dir = nullptr;
}

void IniFileTest::writeThenRead_roundTrip() {
    IniFile ini(path());
    ini.writeString(u"main"_s, u"Text"_s, u"значение"_s);
    ini.writeInteger(u"main"_s, u"Number"_s, -42);
    ini.writeBool(u"main"_s, u"Flag"_s, true);
    IniFile again(path()); // a fresh reader sees what is on disk
    QCOMPARE(again.readString(u"main"_s, u"Text"_s, u"x"_s), u"значение"_s);
    QCOMPARE(again.readInteger(u"main"_s, u"Number"_s, 0), -42);
    QCOMPARE(again.readBool(u"main"_s, u"Flag"_s, false), true);
    QCOMPARE(testsupport::readBytes(path()),
             QByteArray("[main]\r\nText=\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\nNumber=-42\r\nFlag=1\r\n"));
}

void IniFileTest::missingFileSectionOrKey_giveTheFallback() {
    IniFile ini(path());
    QCOMPARE(ini.readString(u"main"_s, u"Key"_s, u"fallback"_s), u"fallback"_s);
    QCOMPARE(ini.readInteger(u"main"_s, u"Key"_s, 20), 20);
    QVERIFY(ini.sectionNames().isEmpty());
    QVERIFY(!ini.hasKeys(u"main"_s));
    ini.writeString(u"main"_s, u"Other"_s, u"1"_s);
    QCOMPARE(ini.readString(u"main"_s, u"Key"_s, u"fallback"_s), u"fallback"_s);
    QCOMPARE(ini.readString(u"none"_s, u"Other"_s, u"fallback"_s), u"fallback"_s);
    QVERIFY(!QFile::exists(path(u"never.ini"_s)));
}

void IniFileTest::names_matchWithoutLetterCase_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("asked");
    QTest::newRow("cyrillic capitals") << u"Иван"_s << u"ИВАН"_s;
    QTest::newRow("cyrillic small") << u"ИВАН"_s << u"иван"_s;
    QTest::newRow("yo") << u"Ёлкин"_s << u"ёЛКИН"_s;
    QTest::newRow("latin") << u"Maria"_s << u"mARIA"_s;
}

void IniFileTest::names_matchWithoutLetterCase() {
    QFETCH(QString, written);
    QFETCH(QString, asked);
    IniFile ini(path());
    ini.writeString(written, u"Date"_s, u"1"_s);
    QCOMPARE(ini.readString(asked, u"DATE"_s, u"none"_s), u"1"_s);
    ini.writeString(asked, u"date"_s, u"2"_s);
    QCOMPARE(ini.allSectionNames(), QStringList{written}); // one entry, spelled as first written
    QCOMPARE(ini.readString(written, u"Date"_s, u"none"_s), u"2"_s);
}

void IniFileTest::rewrite_keepsPlaceAndEverythingElse() {
    QVERIFY(testsupport::writeBytes(
        path(), "; names of the family\r\n[Anna]\r\nDate=1\r\nShowMain=0\r\n\r\n[Boris]\r\nDate=2\r\n"
                "unknown line\r\nShowMain=1\r\n[Clara]\r\nDate=3\r\n"));
    IniFile ini(path());
    ini.writeString(u"boris"_s, u"showmain"_s, u"0"_s);
    QCOMPARE(testsupport::readBytes(path()),
             QByteArray("; names of the family\r\n[Anna]\r\nDate=1\r\nShowMain=0\r\n\r\n"
                        "[Boris]\r\nDate=2\r\nunknown line\r\nShowMain=0\r\n[Clara]\r\nDate=3\r\n"));
    QCOMPARE(ini.allSectionNames(), (QStringList{u"Anna"_s, u"Boris"_s, u"Clara"_s}));
}

void IniFileTest::newKey_goesToEndOfItsSection() {
    QVERIFY(testsupport::writeBytes(path(), "[Anna]\r\nDate=1\r\n\r\n[Boris]\r\nDate=2\r\n"));
    IniFile ini(path());
    ini.writeString(u"Anna"_s, u"ShowMain"_s, u"1"_s);
    ini.writeString(u"Clara"_s, u"Date"_s, u"3"_s);
    QCOMPARE(testsupport::readBytes(path()),
             QByteArray("[Anna]\r\nDate=1\r\nShowMain=1\r\n\r\n[Boris]\r\nDate=2\r\n[Clara]\r\nDate=3\r\n"));
}

void IniFileTest::lfFile_staysLf() {
    QVERIFY(testsupport::writeBytes(path(), "[a]\nk=1\n"));
    IniFile ini(path());
    ini.writeString(u"a"_s, u"k"_s, u"2"_s);
    QCOMPARE(testsupport::readBytes(path()), QByteArray("[a]\nk=2\n"));
}

void IniFileTest::eraseSection_removesOnlyThatSection() {
    QVERIFY(testsupport::writeBytes(
        path(), "[Anna]\r\nDate=1\r\n[Boris]\r\nDate=2\r\n[anna]\r\nShowMain=1\r\n[Clara]\r\nDate=3\r\n"));
    IniFile ini(path());
    QVERIFY(ini.hasKeys(u"ANNA"_s));
    ini.eraseSection(u"ANNA"_s);
    QCOMPARE(testsupport::readBytes(path()), QByteArray("[Boris]\r\nDate=2\r\n[Clara]\r\nDate=3\r\n"));
    QVERIFY(!ini.hasKeys(u"Anna"_s));
    const QByteArray before = testsupport::readBytes(path());
    ini.eraseSection(u"Nobody"_s);
    QCOMPARE(testsupport::readBytes(path()), before);
}

void IniFileTest::sectionNames_inFileOrderOnce() {
    QVERIFY(testsupport::writeBytes(path(), "[Zoe]\r\na=1\r\n[Adam]\r\n[zoe]\r\nb=2\r\n[Mark]\r\na=1\r\n"));
    IniFile ini(path());
    QCOMPARE(ini.sectionNames(), (QStringList{u"Zoe"_s, u"Adam"_s, u"Mark"_s}));
    QVERIFY(!ini.hasKeys(u"Adam"_s)); // a header alone is no entry
    QVERIFY(ini.hasKeys(u"ZOE"_s));
    QCOMPARE(ini.readString(u"zoe"_s, u"a"_s, u"-"_s), u"1"_s); // the first occurrence is read
}

void IniFileTest::sectionNames_stopAtTheListingLimit() {
    // 200 names of 99 characters: 100 bytes each with the terminator; 163 fit in 16 384 bytes.
    QByteArray file;
    QStringList names;
    for (int i = 0; i < 200; ++i) {
        const QString name = QString::number(i).rightJustified(3, u'0') + QString(96, u'ж');
        names << name;
        file +=
            "[" + QByteArray::number(i).rightJustified(3, '0') + QByteArray(96, '\xE6') + "]\r\nDate=1\r\n";
    }
    QVERIFY(testsupport::writeBytes(path(), file));
    IniFile ini(path());
    QCOMPARE(ini.sectionNames(), names.mid(0, 163));
    QCOMPARE(ini.allSectionNames(), names);
}

void IniFileTest::longValue_readsUpTo2047Characters() {
    IniFile ini(path());
    ini.writeString(u"a"_s, u"k"_s, QString(3000, u'я'));
    QCOMPARE(ini.readString(u"a"_s, u"k"_s, QString()), QString(2047, u'я'));
}

void IniFileTest::integerForms_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("read"); // with fallback 77
    QTest::newRow("decimal") << u"12"_s << 12;
    QTest::newRow("leading blanks") << u"   12"_s << 12;
    QTest::newRow("negative") << u"-1"_s << -1;
    QTest::newRow("plus") << u"+5"_s << 5;
    QTest::newRow("0x") << u"0x1F"_s << 31;
    QTest::newRow("0X") << u"0X3"_s << 3;
    QTest::newRow("dollar") << u"$ff"_s << 255;
    QTest::newRow("negative dollar") << u"-$10"_s << -16;
    QTest::newRow("hex all bits") << u"$FFFFFFFF"_s << -1;
    QTest::newRow("int max") << u"2147483647"_s << 2147483647;
    QTest::newRow("int min") << u"-2147483648"_s << int(-2147483648LL);
    QTest::newRow("too large") << u"2147483648"_s << 77;
    QTest::newRow("hex too large") << u"0x100000000"_s << 77;
    QTest::newRow("word") << u"abc"_s << 77;
    QTest::newRow("yes") << u"yes"_s << 77;
    QTest::newRow("empty") << u""_s << 77;
    QTest::newRow("trailing junk") << u"12abc"_s << 77;
    QTest::newRow("bare 0x") << u"0x"_s << 77;
    QTest::newRow("bare dollar") << u"$"_s << 77;
    QTest::newRow("decimal with hex digit") << u"1f"_s << 77;
    QTest::newRow("arabic-indic digits") << u"\u0661\u0662"_s << 77;
}

void IniFileTest::integerForms() {
    QFETCH(QString, stored);
    QFETCH(int, read);
    IniFile ini(path());
    ini.writeString(u"main"_s, u"Value"_s, stored);
    QCOMPARE(ini.readInteger(u"main"_s, u"Value"_s, 77), read);
}

void IniFileTest::booleans_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("fallback");
    QTest::addColumn<bool>("read");
    QTest::newRow("1") << u"1"_s << false << true;
    QTest::newRow("0") << u"0"_s << true << false;
    QTest::newRow("2 is true") << u"2"_s << false << true;
    QTest::newRow("-1 is true") << u"-1"_s << false << true;
    QTest::newRow("yes is no number") << u"yes"_s << false << false;
    QTest::newRow("word keeps fallback true") << u"word"_s << true << true;
}

void IniFileTest::booleans() {
    QFETCH(QString, stored);
    QFETCH(bool, fallback);
    QFETCH(bool, read);
    IniFile ini(path());
    ini.writeString(u"main"_s, u"Flag"_s, stored);
    QCOMPARE(ini.readBool(u"main"_s, u"Flag"_s, fallback), read);
    ini.writeBool(u"main"_s, u"Flag"_s, read);
    QCOMPARE(ini.readString(u"main"_s, u"Flag"_s, QString()), read ? u"1"_s : u"0"_s);
}

void IniFileTest::dates_useTheLocaleWithFourDigitYears() {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    IniFile ini(path());
    ini.writeDate(u"Иван"_s, u"Date"_s, encodeDate(2005, 3, 21), russian);
    QCOMPARE(ini.readString(u"Иван"_s, u"Date"_s, QString()), u"21.03.2005"_s);
    QCOMPARE(ini.readDate(u"Иван"_s, u"Date"_s, -1, russian), encodeDate(2005, 3, 21));
    // Written under one locale, unreadable under another: the fallback.
    QCOMPARE(ini.readDate(u"Иван"_s, u"Date"_s, -1, american), -1.0);
    ini.writeString(u"Иван"_s, u"Date"_s, u"not a date"_s);
    QCOMPARE(ini.readDate(u"Иван"_s, u"Date"_s, 123, russian), 123.0);
}

void IniFileTest::encoding_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("cyrillic stays single-byte") << u"Пётр"_s << false;
    QTest::newRow("latin with diaeresis") << u"Zoë"_s << true;
    QTest::newRow("chinese") << u"李小龙"_s << true;
    QTest::newRow("emoji outside the basic plane") << u"Аня 🌙"_s << true;
}

void IniFileTest::encoding() {
    QFETCH(QString, name);
    QFETCH(bool, utf8);
    {
        IniFile ini(path());
        ini.writeString(u"Иван"_s, u"Date"_s, u"1"_s);
        ini.writeString(name, u"Date"_s, u"2"_s);
    }
    const QByteArray bytes = testsupport::readBytes(path());
    QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), utf8);
    QVERIFY(!bytes.contains('?'));
    IniFile again(path());
    QCOMPARE(again.allSectionNames(), (QStringList{u"Иван"_s, name}));
    QCOMPARE(again.readString(name, u"Date"_s, QString()), u"2"_s);
}

void IniFileTest::cp1251File_readsCyrillic() {
    // "[Пётр]" and a value "Ёж" in Windows-1251, as a file from the old program would hold them.
    QVERIFY(testsupport::writeBytes(path(), "[\xCF\xB8\xF2\xF0]\r\nNote=\xA8\xE6 \x96 \xB9\r\n"));
    IniFile ini(path());
    QCOMPARE(ini.allSectionNames(), QStringList{u"Пётр"_s});
    QCOMPARE(ini.readString(u"ПЁТР"_s, u"Note"_s, QString()), u"Ёж – №"_s);
}

void IniFileTest::utf16File_isReadAndStaysUtf16_data() {
    QTest::addColumn<bool>("bigEndian");
    QTest::newRow("UTF-16 LE with its mark") << false;
    QTest::newRow("UTF-16 BE with its mark") << true;
}

void IniFileTest::utf16File_isReadAndStaysUtf16() {
    QFETCH(bool, bigEndian);
    const auto encode = [bigEndian](const QString& text) {
        QByteArray bytes;
        for (const QChar c : text) {
            const char high = char(c.unicode() >> 8), low = char(c.unicode() & 0xFF);
            bytes += bigEndian ? QByteArray{&high, 1} + low : QByteArray{&low, 1} + high;
        }
        return bytes;
    };
    const QByteArray old = (bigEndian ? "\xFE\xFF" : "\xFF\xFE") +
                           encode(u"[Анна]\r\nDate=01.02.1990\r\n[李小龙]\r\nDate=03.04.1985\r\n"_s);
    QVERIFY(testsupport::writeBytes(path(), old));
    IniFile ini(path());
    QCOMPARE(ini.sectionNames(), (QStringList{u"Анна"_s, u"李小龙"_s}));
    QCOMPARE(ini.readString(u"анна"_s, u"Date"_s, QString()), u"01.02.1990"_s);
    ini.writeString(u"Борис"_s, u"Date"_s, u"05.06.1970"_s);
    // What was there stays byte for byte; the new entry follows in the same encoding.
    QCOMPARE(testsupport::readBytes(path()), old + encode(u"[Борис]\r\nDate=05.06.1970\r\n"_s));
    QCOMPARE(IniFile(path()).sectionNames(), (QStringList{u"Анна"_s, u"李小龙"_s, u"Борис"_s}));
}

void IniFileTest::unreadableEncoding_isRefusedUntouched_data() {
    QTest::addColumn<QByteArray>("file");
    // "[A]" and a line end, written out byte by byte.
    QTest::newRow("UTF-32 LE with its mark")
        << QByteArray::fromHex("fffe00005b000000410000005d0000000d0000000a000000");
    QTest::newRow("UTF-16 with a byte missing") << QByteArray::fromHex("fffe5b0041005d000d000a");
}

void IniFileTest::unreadableEncoding_isRefusedUntouched() {
    QFETCH(QByteArray, file);
    QVERIFY(testsupport::writeBytes(path(), file));
    testsupport::MessageRecorder recorder;
    IniFile ini(path());
    QVERIFY(ini.sectionNames().isEmpty());
    QString error;
    try {
        ini.writeString(u"Борис"_s, u"Date"_s, u"05.06.1970"_s);
    } catch (const IniWriteError& e) {
        error = e.text();
    }
    QCOMPARE(error, u"Unable to write to "_s + path());
    QCOMPARE(recorder.messages.size(), 1);
    QVERIFY2(recorder.messages[0].contains(path()), qPrintable(recorder.messages[0]));
    QCOMPARE(testsupport::readBytes(path()), file);
}

void IniFileTest::invalidBytes_surviveAWriteElsewhere_data() {
    QTest::addColumn<QByteArray>("kept"); // a section the write does not touch
    QTest::addColumn<QString>("written"); // the section written
    QTest::newRow("invalid UTF-8 in a name after the mark")
        << QByteArray("\xEF\xBB\xBF[\xD0\x90\xFF\xFE\xD0\xBD\xD0\xBD\xD0\xB0]\r\nDate=01.01.1990\r\n")
        << u"Борис"_s;
    QTest::newRow("overlong and truncated sequences in a value")
        << QByteArray("\xEF\xBB\xBF[Anna]\r\nNote=\xC0\xAF and \xE2\x82\r\n") << u"Zoë"_s;
    QTest::newRow("UTF-8 file turned Windows-1251 would lose them")
        << QByteArray("\xEF\xBB\xBF[A\x80]\r\nk=v\r\n") << u"Борис"_s;
    QTest::newRow("Windows-1251 byte 0x98") << QByteArray("[\xC8\x98]\r\nk=\x98\r\n") << u"Борис"_s;
    QTest::newRow("Windows-1251 file that turns UTF-8")
        << QByteArray("[\xC8\xE2\xE0\xED]\r\nNote=\x98\xB9\r\n") << u"李小龙"_s;
}

void IniFileTest::invalidBytes_surviveAWriteElsewhere() {
    QFETCH(QByteArray, kept);
    QFETCH(QString, written);
    QVERIFY(testsupport::writeBytes(path(), kept));
    IniFile ini(path());
    const QStringList before = ini.allSectionNames();
    ini.writeString(written, u"Date"_s, u"02.02.2002"_s);
    const QByteArray after = testsupport::readBytes(path());
    const bool turnedUtf8 = !kept.startsWith("\xEF\xBB\xBF") && after.startsWith("\xEF\xBB\xBF");
    if (turnedUtf8) // the code page changes, the characters do not
        QCOMPARE(IniFile(path()).readString(before.first(), u"Note"_s, QString()), u"\u0098№"_s);
    else
        QVERIFY2(after.startsWith(kept), after.toHex(' ').constData());
    QCOMPARE(IniFile(path()).allSectionNames(), before + QStringList{written});
}

void IniFileTest::lineBreaksInNames_cannotAddSectionsOrKeys() {
    IniFile ini(path());
    ini.writeString(u"Иван\r\n[Evil]"_s, u"Date"_s, u"1\nShowMain=1"_s);
    QCOMPARE(ini.allSectionNames().size(), 1);
    QVERIFY(!ini.hasKeys(u"Evil"_s));
    QCOMPARE(ini.readString(u"Иван\r\n[Evil]"_s, u"ShowMain"_s, u"none"_s), u"none"_s);
    QCOMPARE(ini.readString(u"Иван\r\n[Evil]"_s, u"Date"_s, QString()), u"1 ShowMain=1"_s);
    QCOMPARE(testsupport::readBytes(path()).count('\n'), 2);
}

void IniFileTest::awkwardFiles_readAndWriteWithoutLoss_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section"); // a section present in the file
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::newRow("empty file") << QByteArray() << QString() << QString() << QString();
    QTest::newRow("binary junk before")
        << QByteArray("\x00\x01\xFF\xFE junk\r\n[a]\r\nk=v\r\n", 22) << u"a"_s << u"k"_s << u"v"_s;
    QTest::newRow("lines without =") << QByteArray("[a]\r\nno equals here\r\nk=v\r\njust words\r\n") << u"a"_s
                                     << u"k"_s << u"v"_s;
    QTest::newRow("section twice") << QByteArray("[a]\r\nk=v\r\n[b]\r\nx=1\r\n[A]\r\nk=other\r\n") << u"a"_s
                                   << u"k"_s << u"v"_s;
    QTest::newRow("LF line ends") << QByteArray("[a]\nk=v\n") << u"a"_s << u"k"_s << u"v"_s;
    QTest::newRow("no final line end") << QByteArray("[a]\r\nk=v") << u"a"_s << u"k"_s << u"v"_s;
    QTest::newRow("a megabyte line") << QByteArray("[a]\r\n") + QByteArray(1 << 20, 'x') + "\r\nk=v\r\n"
                                     << u"a"_s << u"k"_s << u"v"_s;
    QTest::newRow("name ending in ]") << QByteArray("[Zoe]]\r\nk=v\r\n") << u"Zoe]"_s << u"k"_s << u"v"_s;
    QTest::newRow("header without ]") << QByteArray("[a\r\nk=v\r\n") << u"a"_s << u"k"_s << u"v"_s;
    QTest::newRow("keys before any section")
        << QByteArray("k=loose\r\n[a]\r\nk=v\r\n") << u"a"_s << u"k"_s << u"v"_s;
    QTest::newRow("blanks around") << QByteArray("  [a]  \r\n  k  =  v  \r\n") << u"a"_s << u"k"_s << u"v"_s;
    QTest::newRow("empty value") << QByteArray("[a]\r\nk=\r\n") << u"a"_s << u"k"_s << QString();
}

void IniFileTest::awkwardFiles_readAndWriteWithoutLoss() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QVERIFY(testsupport::writeBytes(path(), file));
    IniFile ini(path());
    if (!section.isEmpty()) QCOMPARE(ini.readString(section, key, u"<missing>"_s), value);
    ini.writeString(u"new entry"_s, u"Date"_s, u"01.01.2000"_s);
    IniFile again(path());
    QCOMPARE(again.readString(u"new entry"_s, u"Date"_s, QString()), u"01.01.2000"_s);
    if (!section.isEmpty()) QCOMPARE(again.readString(section, key, u"<missing>"_s), value);
}

void IniFileTest::randomAndMangledFiles_neverCrashOrLoseEntries() {
    QRandomGenerator random(20261207);
    const QByteArray base = "[Anna]\r\nDate=01.02.1990\r\nShowMain=1\r\n[Boris]\r\nDate=03.04.1985\r\n";
    const QByteArray specials = "[]=\r\n;\x00\xFF ";
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes;
        if (round % 2 == 0) {
            bytes.resize(random.bounded(1, 400));
            for (char& c : bytes)
                c = char(random.bounded(256));
        } else {
            bytes = base;
            for (int m = random.bounded(1, 8); m > 0; --m) {
                const int at = random.bounded(int(bytes.size()) + 1);
                if (random.bounded(2))
                    bytes.insert(at, specials.at(random.bounded(int(specials.size()))));
                else if (at < bytes.size())
                    bytes.remove(at, 1);
            }
        }
        QVERIFY(testsupport::writeBytes(path(), bytes));
        IniFile ini(path());
        const QStringList names = ini.allSectionNames();
        QVERIFY(ini.sectionNames().size() <= names.size());
        QHash<QString, QString> before;
        for (const QString& name : names)
            for (const QString& k : {u"Date"_s, u"ShowMain"_s})
                before.insert(name + u'|' + k, ini.readString(name, k, u"<missing>"_s));

        ini.writeString(u"Добавлен"_s, u"Date"_s, u"05.06.2001"_s);
        IniFile again(path());
        QCOMPARE(again.readString(u"Добавлен"_s, u"Date"_s, QString()), u"05.06.2001"_s);
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            const QString name = it.key().section(u'|', 0, 0);
            if (name.compare(u"Добавлен"_s, Qt::CaseInsensitive) == 0) continue;
            const QString value = again.readString(name, it.key().section(u'|', 1), u"<missing>"_s);
            QVERIFY2(value == it.value(),
                     qPrintable(u"round "_s + QString::number(round) + u": "_s + it.key()));
        }
    }
}

void IniFileTest::newFile_isPrivate_existingKeepsItsMode() {
    IniFile ini(path());
    ini.writeString(u"a"_s, u"k"_s, u"v"_s);
    struct stat info = {};
    QCOMPARE(stat(QFile::encodeName(path()).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    QVERIFY(testsupport::writeBytes(path(u"shared.ini"_s), "[a]\r\nk=1\r\n"));
    QVERIFY(QFile::setPermissions(path(u"shared.ini"_s), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                             QFileDevice::ReadGroup |
                                                             QFileDevice::ReadOther));
    IniFile shared(path(u"shared.ini"_s));
    shared.writeString(u"a"_s, u"k"_s, u"2"_s);
    QVERIFY(QFile::permissions(path(u"shared.ini"_s)) & QFileDevice::ReadOther);
    // Nothing of the temporary files is left behind.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
}

void IniFileTest::readOnlyFolder_refusesWithExactTextAndKeepsTheFile() {
    const QByteArray old = "[Anna]\r\nDate=01.02.1990\r\n";
    QVERIFY(testsupport::writeBytes(path(u"names.ini"_s), old));
    // A writable file in a read-only folder is rewritten in place (below); a read-only one is refused.
    QVERIFY(QFile::setPermissions(path(u"names.ini"_s), QFileDevice::ReadOwner));
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    IniFile ini(path(u"names.ini"_s));
    QString error;
    try {
        ini.writeString(u"Anna"_s, u"Date"_s, u"02.02.1990"_s);
    } catch (const IniWriteError& e) {
        error = e.text();
    }
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(error, u"Unable to write to "_s + QDir(m_dir->path()).absoluteFilePath(u"names.ini"_s));
    QCOMPARE(testsupport::readBytes(path(u"names.ini"_s)), old);
    QCOMPARE(ini.readString(u"Anna"_s, u"Date"_s, QString()), u"01.02.1990"_s); // nothing half-applied

    bool erased = true;
    QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    try {
        ini.eraseSection(u"Anna"_s);
    } catch (const IniWriteError&) {
        erased = false;
    }
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!erased);
    QCOMPARE(testsupport::readBytes(path(u"names.ini"_s)), old);
}

void IniFileTest::missingFolder_isMadePrivateAtTheFirstWrite() {
    // A fresh home folder: neither ~/.config nor ~/.config/solvenna exists yet.
    const QString config = path(u"home/.config"_s), folder = config + u"/solvenna"_s;
    IniFile ini(folder + u"/names.ini"_s);
    QCOMPARE(ini.readString(u"a"_s, u"k"_s, u"none"_s), u"none"_s);
    QVERIFY2(!QFileInfo::exists(config), "reading makes no folder");
    ini.writeString(u"a"_s, u"k"_s, u"v"_s);
    for (const QString& made : {path(u"home"_s), config, folder}) {
        struct stat info = {};
        QCOMPARE(stat(QFile::encodeName(made).constData(), &info), 0);
        QVERIFY2(S_ISDIR(info.st_mode), qPrintable(made));
        QCOMPARE(info.st_mode & 0777, 0700u);
    }
    QCOMPARE(testsupport::readBytes(folder + u"/names.ini"_s), QByteArray("[a]\r\nk=v\r\n"));
    // An existing folder keeps its mode.
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                              QFileDevice::ExeGroup));
    IniFile(folder + u"/solvenna.ini"_s).writeBool(u"main"_s, u"ShowHints"_s, true);
    QVERIFY(QFile::permissions(folder) & QFileDevice::ReadGroup);
}

void IniFileTest::folderBlocked_refusesWithExactText_data() {
    QTest::addColumn<QString>("blocker"); // what stands where the folder should be: "file" or "link"
    QTest::newRow("a file of that name") << u"file"_s;
    QTest::newRow("a broken link") << u"link"_s;
    QTest::newRow("a file above it") << u"parent file"_s;
}

void IniFileTest::folderBlocked_refusesWithExactText() {
    QFETCH(QString, blocker);
    QString folder = path(u"solvenna"_s);
    if (blocker == u"file"_s)
        QVERIFY(testsupport::writeBytes(folder, "not a folder"));
    else if (blocker == u"link"_s)
        QVERIFY(QFile::link(path(u"nowhere/at/all"_s), folder));
    else {
        QVERIFY(testsupport::writeBytes(folder, "not a folder"));
        folder += u"/deeper"_s;
    }
    IniFile ini(folder + u"/names.ini"_s);
    QString error;
    try {
        ini.writeString(u"Anna"_s, u"Date"_s, u"02.02.1990"_s);
    } catch (const IniWriteError& e) {
        error = e.text();
    }
    QCOMPARE(error, u"Unable to write to "_s + folder + u"/names.ini"_s);
    QVERIFY(!QFileInfo(path(u"nowhere"_s)).exists());
}

void IniFileTest::readOnlyFile_refusesWrite() {
    QVERIFY(testsupport::writeBytes(path(), "[a]\r\nk=1\r\n"));
    QVERIFY(QFile::setPermissions(path(), QFileDevice::ReadOwner));
    IniFile ini(path());
    QVERIFY_THROWS_EXCEPTION(IniWriteError, ini.writeString(u"a"_s, u"k"_s, u"2"_s));
    QCOMPARE(testsupport::readBytes(path()), QByteArray("[a]\r\nk=1\r\n"));
}

void IniFileTest::changesByAnotherProcess_areSeen_data() {
    QTest::addColumn<QByteArray>("elsewhere"); // empty: the file is removed
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("sections");
    QTest::newRow("rewritten longer")
        << QByteArray("[a]\r\nk=changed elsewhere\r\n") << u"changed elsewhere"_s << QStringList{u"a"_s};
    // The same size within the clock's resolution: only the contents tell.
    QTest::newRow("rewritten, same size") << QByteArray("[b]\r\nk=2\r\n") << QString() << QStringList{u"b"_s};
    QTest::newRow("removed") << QByteArray() << QString() << QStringList{};
}

void IniFileTest::changesByAnotherProcess_areSeen() {
    QFETCH(QByteArray, elsewhere);
    QFETCH(QString, value);
    QFETCH(QStringList, sections);
    IniFile ini(path());
    ini.writeString(u"a"_s, u"k"_s, u"1"_s);
    QCOMPARE(ini.readString(u"a"_s, u"k"_s, QString()), u"1"_s);
    QCOMPARE(ini.sectionNames(), QStringList{u"a"_s});
    if (elsewhere.isEmpty())
        QVERIFY(QFile::remove(path()));
    else
        QVERIFY(testsupport::writeBytes(path(), elsewhere));
    QCOMPARE(ini.readString(u"a"_s, u"k"_s, QString()), value);
    QCOMPARE(ini.sectionNames(), sections);
}

QTEST_GUILESS_MAIN(IniFileTest)
#include "tst_inifile.moc"
