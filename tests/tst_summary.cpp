#include "core/caption.h"
#include "core/date.h"
#include "core/messages.h"
#include "core/summary.h"

#include "testsupport.h"

#include <QTest>

using namespace solvenna;
using testsupport::MessageRecorder;
using namespace Qt::Literals::StringLiterals;

namespace {
const QString kChineseRefusal = u"Год рождения не должен быть меньше, чем 1910."_s;
const QString kZoroastrianRefusal = u"Год рождения не должен быть меньше, чем 1900."_s;

QString lines(const QStringList& six) {
    return six.join(u"\n\r"_s);
}
} // namespace

class SummaryTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void captions_carryTheVersionAndThePerson_data();
    void captions_carryTheVersionAndThePerson();
    void noBirthDate_isTheFirstOfJanuary1900();
    void summary_data();
    void summary();
    void workedExample_byteForByte();
    void decodeInfo_keepsCallersTextForUnknownIndexes();
};

void SummaryTest::summary_data() {
    QTest::addColumn<Date>("birthDate");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("messagesBefore");

    const QStringList example{
        u"Вашему году рождения (1975) по Китайскому гороскопу соответствует год Кота"_s,
        u"По гороскопу Друидов Вашим деревом является Картас"_s,
        u"Число Вашего дня рождения - 9"_s,
        u"В Зороастрийском гороскопе Вам соответствует год Паука"_s,
        u"По Мифологическому гороскопу Вам соответствует Грифон"_s,
    };
    QTest::newRow("15.08.1975 without a name")
        << encodeDate(1975, 8, 15) << QString()
        << lines(QStringList{u"Ваш знак Зодиака - Лев (23.07 - 22.08)"_s} + example) << QStringList();
    QTest::newRow("15.08.1975 with a name")
        << encodeDate(1975, 8, 15) << u"Иван"_s
        << lines(QStringList{u"Иван, по знаку Зодиака Вы Лев (23.07 - 22.08)"_s} + example) << QStringList();
    QTest::newRow("a name of blanks is printed unchanged")
        << encodeDate(1975, 8, 15) << u"  "_s
        << lines(QStringList{u"  , по знаку Зодиака Вы Лев (23.07 - 22.08)"_s} + example) << QStringList();

    QTest::newRow("01.01.1900: no animal")
        << encodeDate(1900, 1, 1) << QString()
        << lines({u"Ваш знак Зодиака - Козерог (22.12 - 19.01)"_s,
                  u"Вашему году рождения (1900) по Китайскому гороскопу соответствует год "_s,
                  u"По гороскопу Друидов Вашим деревом является Яблоня"_s, u"Число Вашего дня рождения - 3"_s,
                  u"В Зороастрийском гороскопе Вам соответствует год Орла"_s,
                  u"По Мифологическому гороскопу Вам соответствует Минотавр"_s})
        << QStringList{kChineseRefusal};
    QTest::newRow("30.12.1899, day 0: no animal, no totem")
        << 0.0 << QString()
        << lines({u"Ваш знак Зодиака - Козерог (22.12 - 19.01)"_s,
                  u"Вашему году рождения (1899) по Китайскому гороскопу соответствует год "_s,
                  u"По гороскопу Друидов Вашим деревом является Яблоня"_s, u"Число Вашего дня рождения - 6"_s,
                  u"В Зороастрийском гороскопе Вам соответствует год "_s,
                  u"По Мифологическому гороскопу Вам соответствует Минотавр"_s})
        << QStringList{kChineseRefusal, kZoroastrianRefusal};
    // 10 June 1850: 1+6+1+8+5 = 21 -> 3.
    QTest::newRow("10.06.1850")
        << encodeDate(1850, 6, 10) << u"Анна"_s
        << lines({u"Анна, по знаку Зодиака Вы Близнецы (21.05 - 20.06)"_s,
                  u"Вашему году рождения (1850) по Китайскому гороскопу соответствует год "_s,
                  u"По гороскопу Друидов Вашим деревом является Граб"_s, u"Число Вашего дня рождения - 3"_s,
                  u"В Зороастрийском гороскопе Вам соответствует год "_s,
                  u"По Мифологическому гороскопу Вам соответствует Сатир"_s})
        << QStringList{kChineseRefusal, kZoroastrianRefusal};
    QTest::newRow("1905: totem but no animal")
        << encodeDate(1905, 3, 3) << QString()
        << lines({u"Ваш знак Зодиака - Рыбы (19.02 - 20.03)"_s,
                  u"Вашему году рождения (1905) по Китайскому гороскопу соответствует год "_s,
                  u"По гороскопу Друидов Вашим деревом является Ива"_s, u"Число Вашего дня рождения - 3"_s,
                  u"В Зороастрийском гороскопе Вам соответствует год Сокола"_s,
                  u"По Мифологическому гороскопу Вам соответствует Гарпия"_s})
        << QStringList{kChineseRefusal};
}

void SummaryTest::summary() {
    QFETCH(Date, birthDate);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QFETCH(QStringList, messagesBefore);
    MessageRecorder recorder;
    QCOMPARE(summaryText(birthDate, name), expected);
    QCOMPARE(recorder.messages, messagesBefore); // the Chinese refusal first, then the Zoroastrian one
}

void SummaryTest::workedExample_byteForByte() {
    const QByteArray expected = "\xD0\x92\xD0\xB0\xD1\x88 \xD0\xB7\xD0\xBD\xD0\xB0\xD0\xBA "
                                "\xD0\x97\xD0\xBE\xD0\xB4\xD0\xB8\xD0\xB0\xD0\xBA"
                                "\xD0\xB0 - \xD0\x9B\xD0\xB5\xD0\xB2 (23.07 - 22.08)\x0A\x0D";
    const QByteArray actual = summaryText(encodeDate(1975, 8, 15), QString()).toUtf8();
    QVERIFY(actual.startsWith(expected));
    QCOMPARE(actual.count("\x0A\x0D"), 5);
    QCOMPARE(actual.count('\x0A'), 5);
    QCOMPARE(actual.count('\x0D'), 5);
    QVERIFY(!actual.contains("\x0D\x0A"));
    QVERIFY(!actual.endsWith('.'));
}

void SummaryTest::decodeInfo_keepsCallersTextForUnknownIndexes() {
    MessageRecorder recorder;
    QString year, number, sign, tree, animal = u"kept"_s, totem = u"kept too"_s, creature;
    DecodeInfo(encodeDate(1850, 1, 1), year, number, sign, tree, animal, totem, creature);
    QCOMPARE(year, u"1850"_s);
    QCOMPARE(animal, u"kept"_s);
    QCOMPARE(totem, u"kept too"_s);
    QCOMPARE(sign, u"Козерог (22.12 - 19.01)"_s);
}

void SummaryTest::captions_carryTheVersionAndThePerson_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::newRow("a name") << u"Анна"_s
                            << u"Solvenna, версия 1.3  [Анна, 15.08.1975, Лев (23.07 - 22.08)]"_s;
    QTest::newRow("no name") << QString()
                             << u"Solvenna, версия 1.3  [Без имени, 15.08.1975, Лев (23.07 - 22.08)]"_s;
}

void SummaryTest::captions_carryTheVersionAndThePerson() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QCOMPARE(programCaption(), u"Solvenna, версия 1.3"_s);
    QCOMPARE(personCaption(name, u"15.08.1975"_s, u"Лев (23.07 - 22.08)"_s), caption);
}

void SummaryTest::noBirthDate_isTheFirstOfJanuary1900() {
    QCOMPARE(kNoBirthDate, encodeDate(1900, 1, 1));
    QVERIFY(!birthDateIsSet(kNoBirthDate));
    QVERIFY(!birthDateIsSet(0));
    QVERIFY(birthDateIsSet(encodeDate(1900, 1, 2)));
}

QTEST_GUILESS_MAIN(SummaryTest)
#include "tst_summary.moc"
