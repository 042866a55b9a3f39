// The lunar calendar in the windows: the setting "Город" in the settings dialog, the commands and the bar
// that show the day's page and the month's calendar, and the boundary notes on the person's pages.
#include "core/cp1251.h"
#include "core/lunarpage.h"
#include "core/places.h"
#include "lunarbar.h"
#include "main.h"
#include "pageview.h"
#include "setup.h"
#include "whoim.h"
#include "widgets.h"

#include "core/livesettings.h"
#include "programwindows.h"
#include "testsupport.h"
#include "uitestsupport.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTimeZone>
#include <QToolButton>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;

class LunarWindowTest : public testsupport::ProgramWindows {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void place_chosenAndSaved_data();
    void place_chosenAndSaved();
    void place_brokenValue_showsMoscow();
    void today_showsTheDayAtThePlace_data();
    void today_showsTheDayAtThePlace();
    void days_stepAndRefuseOutsideTheYears();
    void month_dayLinkFollowedAndBackReturns();
    void missingText_showsTheErrorPage();
    void notes_onTheBoundaryPersonsPagesOnly_data();
    void notes_onTheBoundaryPersonsPagesOnly();

private:
    // The windows, with "now" at the moment given.
    void createWindowsAt(const QDateTime& utc);
    void chooseCity(const QString& name);
    QString iniText() const;
};

void LunarWindowTest::initTestCase() {
    startProgram();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
}

void LunarWindowTest::createWindowsAt(const QDateTime& utc) {
    createWindowsWithAnna();
    m_form->clock = [utc] { return utc; };
}

void LunarWindowTest::chooseCity(const QString& name) {
    const int index = m_setup->PlaceBox->findText(name);
    QVERIFY2(index >= 0, qPrintable(name));
    m_setup->PlaceBox->setCurrentIndex(index);
    Q_EMIT m_setup->PlaceBox->activated(index);
}

QString LunarWindowTest::iniText() const {
    return cp1251::decode(testsupport::readBytes(folder() + u"solvenna.ini"_s));
}

void LunarWindowTest::place_chosenAndSaved_data() {
    QTest::addColumn<QString>("city"); // empty: typed by hand
    QTest::addColumn<QString>("latitude");
    QTest::addColumn<QString>("longitude");
    QTest::addColumn<QString>("zone");
    QTest::newRow("a city of the list") << u"Санкт-Петербург"_s << QString() << QString() << QString();
    QTest::newRow("typed by hand, north of the polar circle")
        << QString() << u"69,35"_s << u"88.2"_s << u"Asia/Krasnoyarsk"_s;
    QTest::newRow("typed by hand, south and west")
        << QString() << u"-34,6"_s << u"−58,38"_s << u"America/Argentina/Buenos_Aires"_s;
}

void LunarWindowTest::place_chosenAndSaved() {
    QFETCH(QString, city);
    QFETCH(QString, latitude);
    QFETCH(QString, longitude);
    QFETCH(QString, zone);
    createWindows();
    m_setup->show();
    // Moscow by default, and nothing to type.
    QCOMPARE(m_setup->PlaceBox->currentText(), u"Москва"_s);
    QVERIFY(!m_setup->LatitudeEdit->isEnabled());
    Place wanted;
    if (city.isEmpty()) {
        chooseCity(u"Другое место…"_s);
        QVERIFY(m_setup->LatitudeEdit->isEnabled());
        QVERIFY(m_setup->ZoneBox->isEnabled());
        m_setup->LatitudeEdit->setText(latitude);
        Q_EMIT m_setup->LatitudeEdit->textEdited(latitude);
        m_setup->LongitudeEdit->setText(longitude);
        Q_EMIT m_setup->LongitudeEdit->textEdited(longitude);
        const int zoneIndex = m_setup->ZoneBox->findText(zone);
        QVERIFY(zoneIndex >= 0);
        m_setup->ZoneBox->setCurrentIndex(zoneIndex);
        Q_EMIT m_setup->ZoneBox->activated(zoneIndex);
        wanted = {QString(), latitude.replace(u',', u'.').replace(u'−', u'-').toDouble(),
                  longitude.replace(u',', u'.').replace(u'−', u'-').toDouble(), QTimeZone(zone.toLatin1())};
    } else {
        chooseCity(city);
        for (const Place& c : cities())
            if (c.name == city) wanted = c;
    }
    // The setting is in force at once, as the others are; "Отмена" puts the stored one back.
    QCOMPARE(m_setup->settings().placeSetting(), placeSetting(wanted));
    m_setup->XPButton2->click();
    QCOMPARE(m_setup->settings().place().name, u"Москва"_s);
    QCOMPARE(m_setup->PlaceBox->currentText(), u"Москва"_s);
    QVERIFY(!iniText().contains(u"Place"_s));

    m_setup->show();
    if (city.isEmpty()) {
        chooseCity(u"Другое место…"_s);
        m_setup->LatitudeEdit->setText(latitude);
        Q_EMIT m_setup->LatitudeEdit->textEdited(latitude);
        m_setup->LongitudeEdit->setText(longitude);
        Q_EMIT m_setup->LongitudeEdit->textEdited(longitude);
        const int zoneIndex = m_setup->ZoneBox->findText(zone);
        m_setup->ZoneBox->setCurrentIndex(zoneIndex);
        Q_EMIT m_setup->ZoneBox->activated(zoneIndex);
    } else {
        chooseCity(city);
    }
    m_setup->XPButton1->click();
    QVERIFY(!m_setup->isVisible());
    QVERIFY2(iniText().contains(u"Place="_s + placeSetting(wanted) + u"\r\n"_s), qPrintable(iniText()));

    // The next run shows it again.
    m_form.reset();
    createWindows();
    m_setup->show();
    QCOMPARE(m_setup->settings().placeSetting(), placeSetting(wanted));
    if (city.isEmpty()) {
        QCOMPARE(m_setup->PlaceBox->currentText(), u"Другое место…"_s);
        QCOMPARE(m_setup->LatitudeEdit->text().replace(u',', u'.').toDouble(), wanted.latitude);
        QCOMPARE(m_setup->LongitudeEdit->text().replace(u',', u'.').toDouble(), wanted.longitude);
        QCOMPARE(m_setup->ZoneBox->currentText(), zone);
    } else {
        QCOMPARE(m_setup->PlaceBox->currentText(), city);
        QVERIFY(!m_setup->LatitudeEdit->isEnabled());
    }
}

void LunarWindowTest::place_brokenValue_showsMoscow() {
    QVERIFY(testsupport::writeBytes(folder() + u"solvenna.ini"_s, "[main]\r\nPlace=91;200;Nowhere/City\r\n"));
    createWindows();
    m_setup->show();
    QCOMPARE(m_setup->PlaceBox->currentText(), u"Москва"_s);
    QCOMPARE(m_setup->settings().place().name, u"Москва"_s);
    // A latitude out of range is marked and refused by "ОК", which says what the range is.
    chooseCity(u"Другое место…"_s);
    m_setup->LatitudeEdit->setText(u"95"_s);
    Q_EMIT m_setup->LatitudeEdit->textEdited(u"95"_s);
    m_setup->XPButton1->click();
    QVERIFY(m_setup->isVisible());
    QCOMPARE(m_services->texts(), QStringList{u"Широта — число градусов от −90 до 90, например 55,7558."_s});
    QVERIFY(testsupport::readBytes(folder() + u"solvenna.ini"_s).contains("Nowhere"));
}

void LunarWindowTest::today_showsTheDayAtThePlace_data() {
    QTest::addColumn<QString>("city");
    QTest::addColumn<QDate>("today");
    // 18:00 UTC is still 9 December in Moscow (UTC+3), already the 10th in Krasnoyarsk (UTC+7).
    QTest::newRow("Moscow") << u"Москва"_s << QDate(2026, 12, 9);
    QTest::newRow("Krasnoyarsk") << u"Красноярск"_s << QDate(2026, 12, 10);
}

void LunarWindowTest::today_showsTheDayAtThePlace() {
    QFETCH(QString, city);
    QFETCH(QDate, today);
    createWindowsAt(QDateTime(QDate(2026, 12, 9), QTime(18, 0), QTimeZone::utc()));
    Place place;
    for (const Place& c : cities())
        if (c.name == city) place = c;
    QVERIFY2(!place.name.isEmpty(), qPrintable(city));
    m_setup->settings().setPlace(place);
    QCOMPARE(m_form->TodayItem->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    QVERIFY(!m_form->NextDayItem->isEnabled());
    m_form->TodayTool->click();
    QCOMPARE(m_form->lunarDateShown(), std::optional<QDate>(today));
    // The day at the place in force, for the current person.
    const auto day = lunar::dayAt(today, place);
    QVERIFY(day);
    const auto page = lunarpage::dayPage(*day, place, m_form->Folders,
                                         CompatibilityPerson{u"Анна"_s, u"15.08.1975"_s, BirthDate});
    QVERIFY(page.missingFile.isEmpty());
    QCOMPARE(m_form->Web1->generatedHtml(), page.html);
    QVERIFY(m_form->LunarBar->isVisibleTo(m_form.get()));
    QCOMPARE(toQDate(m_form->LunarBar->DateField->value()), today);
    QVERIFY(m_form->NextDayItem->isEnabled());
    QVERIFY(m_form->PrintItem->isEnabled()); // printed and saved as PDF as every page
    QCOMPARE(m_form->Buttons->Sections()[0]->Items()[0]->Caption(), u"Лунный календарь"_s);
}

void LunarWindowTest::days_stepAndRefuseOutsideTheYears() {
    createWindowsAt(QDateTime(QDate(2026, 12, 9), QTime(12, 0), QTimeZone::utc()));
    m_form->TodayItem->trigger();
    m_form->NextDayItem->trigger();
    QCOMPARE(m_form->lunarDateShown(), std::optional<QDate>(QDate(2026, 12, 10)));
    m_form->PreviousDayItem->trigger();
    m_form->LunarBar->PreviousDay->click();
    QCOMPARE(m_form->lunarDateShown(), std::optional<QDate>(QDate(2026, 12, 8)));
    // A date typed into the bar's field, confirmed as the birth date is.
    m_form->LunarBar->DateField->editor()->setText(u"31.12.2100"_s);
    m_form->LunarBar->DateField->commit();
    QCOMPARE(m_form->lunarDateShown(), std::optional<QDate>(QDate(2100, 12, 31)));
    QVERIFY(m_services->boxes.isEmpty());
    // A step out of the years is refused with the message, and the page stays.
    m_form->NextDayItem->trigger();
    QCOMPARE(m_services->texts(), QStringList{lunarpage::outOfRangeMessage()});
    QCOMPARE(m_form->lunarDateShown(), std::optional<QDate>(QDate(2100, 12, 31)));
    m_form->LunarBar->DateField->editor()->setText(u"31.12.1899"_s);
    m_form->LunarBar->DateField->commit();
    QCOMPARE(m_services->texts().size(), 2);
    QCOMPARE(m_form->lunarDateShown(), std::optional<QDate>(QDate(2100, 12, 31)));
    QCOMPARE(toQDate(m_form->LunarBar->DateField->value()), QDate(2100, 12, 31));
}

void LunarWindowTest::month_dayLinkFollowedAndBackReturns() {
    createWindowsAt(QDateTime(QDate(2026, 12, 9), QTime(12, 0), QTimeZone::utc()));
    m_form->N13->trigger(); // the person's zodiac pages first
    const QString zodiacPage = m_form->Web1->currentPage();
    m_form->MonthItem->trigger();
    QVERIFY(m_form->lunarMonthShown());
    QCOMPARE(m_form->lunarDateShown(), std::optional<QDate>(QDate(2026, 12, 1)));
    QVERIFY(!m_form->NextDayItem->isEnabled());
    // The month's days link to their pages.
    QVERIFY(m_form->Web1->generatedHtml().contains(lunarpage::dayLink(QDate(2026, 12, 15)).toString()));
    Q_EMIT m_form->Web1->programLinkActivated(lunarpage::dayLink(QDate(2026, 12, 15)));
    QCOMPARE(m_form->lunarDateShown(), std::optional<QDate>(QDate(2026, 12, 15)));
    QVERIFY(!m_form->lunarMonthShown());
    m_form->NextDayItem->trigger();
    // "Назад" returns to the month, then to the page before it.
    m_form->BackItem->trigger();
    QVERIFY(m_form->lunarMonthShown());
    m_form->BackItem->trigger();
    QVERIFY(!m_form->lunarDateShown());
    QCOMPARE(m_form->Web1->currentPage(), zodiacPage);
    QVERIFY(!m_form->LunarBar->isVisibleTo(m_form.get()));
    QVERIFY(!m_form->BackItem->isEnabled());
}

void LunarWindowTest::missingText_showsTheErrorPage() {
    QTemporaryDir copy;
    const QString app = testsupport::readableProgramFolder(testsupport::dataFolder(), copy);
    // The Moon's text of 9 December 2026 in Moscow: it is in Sagittarius all day.
    QVERIFY(QFile::remove(app + u"Data/Lunar/moon-sagittarius.htm"_s));
    createWindowsWithAnna(app);
    m_form->clock = [] { return QDateTime(QDate(2026, 12, 9), QTime(12, 0), QTimeZone::utc()); };
    m_form->TodayItem->trigger();
    QVERIFY(!m_form->Web1->showsGenerated());
    QCOMPARE(m_form->Web1->currentPage(), m_form->Folders.errorPage());
    QVERIFY(m_services->boxes.isEmpty());
    QVERIFY(!m_form->lunarDateShown());
}

void LunarWindowTest::notes_onTheBoundaryPersonsPagesOnly_data() {
    QTest::addColumn<Date>("birthDate");
    QTest::addColumn<bool>("zodiacNote");
    QTest::addColumn<bool>("chineseNote");
    QTest::newRow("15.08.1975: none") << encodeDate(1975, 8, 15) << false << false;
    QTest::newRow("20.01.1990: the Sun's entry") << encodeDate(1990, 1, 20) << true << true;
    QTest::newRow("15.01.1976: before the lunar new year") << encodeDate(1976, 1, 15) << false << true;
}

void LunarWindowTest::notes_onTheBoundaryPersonsPagesOnly() {
    QFETCH(Date, birthDate);
    QFETCH(bool, zodiacNote);
    QFETCH(bool, chineseNote);
    createWindowsWithAnna();
    BirthDate = birthDate;
    const auto plain = [](const QString& html) {
        return QTextDocumentFragment::fromHtml(html).toPlainText().simplified().left(40);
    };
    const QString zodiac = lunarpage::zodiacBoundaryNote(birthDate);
    const QString chinese = lunarpage::chineseNewYearNote(birthDate);
    QCOMPARE(!zodiac.isEmpty(), zodiacNote);
    QCOMPARE(!chinese.isEmpty(), chineseNote);
    const auto lines = [this] { return m_form->Web1->toPlainText().split(u'\n'); };
    // The line under the heading of the page file shown, as the file has it.
    const auto ownLine = [this](int index) {
        QTextDocument page;
        page.setHtml(QString::fromUtf8(testsupport::readBytes(m_form->Web1->currentPage())));
        return page.toPlainText().split(u'\n').value(index);
    };

    // Under the heading of every zodiac page of the person (an h1 and an h2); none on another sign's page.
    m_form->N13->trigger();
    for (int section : {0, 5}) {
        m_form->Buttons->setActiveSection(section);
        QVERIFY(lines().size() > 3);
        if (zodiacNote)
            QCOMPARE(lines()[2].simplified().left(40), plain(zodiac));
        else
            QCOMPARE(lines()[2], ownLine(2));
    }
    Q_EMIT m_form->Web1->anchorClicked(QUrl(u"../virgo/element.htm"_s));
    QVERIFY(m_form->Web1->currentPage().endsWith(u"/virgo/element.htm"_s));
    QCOMPARE(lines()[2], ownLine(2));

    // Under the Chinese page's heading (an h1).
    m_form->N14->trigger();
    if (!chineseNote) {
        QCOMPARE(lines()[1], ownLine(1));
        return;
    }
    QCOMPARE(lines()[1].simplified().left(40), plain(chinese));
    // Printing and PDF read the page anew, with the note.
    const QString pdf = folder() + u"page.pdf"_s;
    m_services->saveAnswer = pdf;
    m_form->Timer1Timer();
    m_form->SavePagePdfItem->trigger();
    QVERIFY2(m_services->boxes.isEmpty(), qPrintable(m_services->texts().join(u'\n')));
    QProcess reader;
    reader.start(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s});
    QVERIFY(reader.waitForFinished(30000));
    const QString printed = QString::fromUtf8(reader.readAllStandardOutput()).simplified();
    QVERIFY2(printed.contains(plain(chinese).left(30)), qPrintable(printed.left(300)));
    // The note's link leads to the previous animal's page, as a data page's link does.
    const qsizetype href = chinese.indexOf(u"href=\""_s);
    QVERIFY(href >= 0);
    const QString link = chinese.mid(href + 6, chinese.indexOf(u'"', href + 6) - href - 6);
    Q_EMIT m_form->Web1->anchorClicked(QUrl(link));
    QVERIFY2(m_form->Web1->currentPage().endsWith(u"/Chinese/"_s + link), qPrintable(link));
}

QTEST_MAIN(LunarWindowTest)
#include "tst_lunarwindow.moc"
