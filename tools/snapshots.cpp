// Renders every window of the program in its typical states to PNG files, for looking at the design
// without clicking through it: snapshots OUTPUT_FOLDER (run with QT_QPA_PLATFORM=offscreen or under Xvfb).
#include "about.h"
#include "core/contacts.h"
#include "core/datetext.h"
#include "importpreview.h"
#include "main.h"
#include "peoplewindow.h"
#include "personcard.h"
#include "services.h"
#include "setup.h"
#include "whoim.h"
#include "widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimeZone>

using namespace Qt::Literals::StringLiterals;

namespace {
void save(QWidget* w, const QString& folder, const QString& name) {
    w->show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    w->grab().save(folder + u'/' + name + u".png"_s);
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"."_s;
    QDir().mkpath(out);
    QTemporaryDir settingsFolder; // keep the build folder's own INI files untouched
    // Nothing modal may block: the personal data dialog that opens with the main window is shown below.
    solvenna::ui::services().execModal = [](QDialog*) { return int(QDialog::Rejected); };
    solvenna::ui::services().showBox = [](solvenna::ui::BoxKind, const QString&, const QString&) {};

    Form1 = new TForm1;
    Form1->Folders = solvenna::Folders::fromAppFolder(
        solvenna::folderOfProgram(QCoreApplication::applicationDirPath() + u"/../solvenna"_s));
    Form2 = new TForm2(Form1, settingsFolder.path() + u'/');
    AboutBox = new TAboutBox(Form1);
    SetupFrm = new TSetupFrm(Form1, settingsFolder.path() + u'/');
    Form1->Buttons->setSoftScroll(false);

    Form1->Timer1Timer();
    save(Form1, out, u"main-start"_s);

    BirthDate = solvenna::encodeDate(1975, 8, 15);
    Form1->Timer1Timer();
    Form1->N13Click();
    Form1->Buttons->setActiveSection(5);
    Form1->Timer1Timer();
    save(Form1, out, u"main-zodiac"_s);

    Form1->N14Click();
    Form1->Timer1Timer();
    save(Form1, out, u"main-single"_s);

    Form2->Calendar1->setValue(BirthDate);
    save(Form2, out, u"personal-data"_s);
    Form2->hide();
    save(SetupFrm, out, u"settings"_s);
    SetupFrm->hide();
    save(AboutBox, out, u"about"_s);
    AboutBox->hide();
    Form1->N1->popup(Form1->mapToGlobal(QPoint(0, 0)));
    save(Form1->N1, out, u"menu-horoscope"_s);
    Form1->N1->hide();

    // "Люди" with twenty people, the preview of an import that meets some of them, the group grid, a card.
    static const char16_t* names[] = {u"Анна", u"Борис", u"Вера",   u"Глеб",   u"Дарья",  u"Егор",   u"Жанна",
                                      u"Зоя",  u"Игорь", u"Ксения", u"Лев",    u"Мария",  u"Никита", u"Ольга",
                                      u"Пётр", u"Раиса", u"Семён",  u"Тамара", u"Ульяна", u"Фёдор"};
    QList<solvenna::NamedEntry> people;
    for (int i = 0; i < 20; ++i)
        people.append({QString::fromUtf16(names[i]),
                       {solvenna::fromQDate(QDate::currentDate().addDays(i * 19 - 5).addYears(-20 - i * 3)),
                        false, false, 0}});
    Form2->names().writeAll(people);
    Form1->peopleClick();
    Form1->peopleWindow()->resize(1000, 600);
    save(Form1->peopleWindow(), out, u"people"_s);
    Form1->peopleWindow()->hide();
    const QByteArray cards = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Анна\r\nBDAY:1990-02-01\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Юлия\r\nBDAY:1987-06-30\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ольга\r\nBDAY:1980-03-03\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Яков\r\nBDAY:--0815\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Эмма\r\nBDAY:1999-02-31\r\nEND:VCARD\r\n";
    TImportPreview preview(u"друзья.vcf"_s,
                           solvenna::contacts::planImport(solvenna::contacts::readVCards(cards), people));
    preview.setChoice(2, solvenna::contacts::ConflictChoice::AddNumbered);
    save(&preview, out, u"import-preview"_s);
    preview.hide();
    QList<solvenna::CompatibilityPerson> group;
    for (int i = 0; i < 6; ++i)
        group.append({people[i].name, solvenna::dateToText(people[i].entry.date), people[i].entry.date});
    Form1->showGroupCompatibility(group);
    save(Form1, out, u"group-grid"_s);
    solvenna::ui::personCard(u"Анна"_s, solvenna::encodeDate(1975, 8, 15)).save(out + u"/card.png"_s);

    // The lunar calendar on a fixed day, for pictures that compare from one review to the next: the day's
    // page with a person, the month's calendar, and the notes of people born on a boundary.
    Form1->clock = [] { return QDateTime(QDate(2026, 12, 9), QTime(12, 0), QTimeZone::utc()); };
    Form1->resize(1000, 720);
    PersonName = u"Анна"_s;
    BirthDate = solvenna::encodeDate(1975, 8, 15);
    Form1->todayClick();
    save(Form1, out, u"lunar-day"_s);
    Form1->monthClick();
    save(Form1, out, u"lunar-month"_s);
    BirthDate = solvenna::encodeDate(1990, 1, 20);
    Form1->N13Click();
    save(Form1, out, u"note-zodiac-boundary"_s);
    BirthDate = solvenna::encodeDate(1976, 1, 15);
    Form1->N14Click();
    save(Form1, out, u"note-chinese-new-year"_s);
    // "Город" with a place typed by hand.
    SetupFrm->show();
    SetupFrm->PlaceBox->setCurrentIndex(SetupFrm->PlaceBox->count() - 1);
    SetupFrm->PlaceBoxChange(SetupFrm->PlaceBox->currentIndex());
    SetupFrm->LatitudeEdit->setText(u"69,3500"_s);
    SetupFrm->LongitudeEdit->setText(u"88,2000"_s);
    SetupFrm->typedPlaceChange();
    save(SetupFrm, out, u"settings-other-place"_s);
    SetupFrm->XPButton2Click();
    delete Form1;
    return 0;
}
