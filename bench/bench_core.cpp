#include "core/contacts.h"
#include "core/date.h"
#include "core/inifile.h"
#include "core/lunarcalendar.h"
#include "core/lunarpage.h"
#include "core/messages.h"
#include "core/namestore.h"
#include "core/signs.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;
using namespace solvenna;

// All six calculators for every day from 1900 to 2100; the reported time is per date.
static void BM_AllCalculatorsPerDate(benchmark::State& state) {
    setMessageHook([](const QString&) {}); // 1900..1909 refuse the Chinese animal; keep that silent
    const Date first = encodeDate(1900, 1, 1);
    const Date last = encodeDate(2100, 12, 31);
    for (auto _ : state) {
        std::int64_t checksum = 0;
        for (Date d = first; d <= last; d += 1) {
            const auto year = static_cast<std::uint16_t>(decodeDate(d).year);
            checksum += GetSign(d) + GetTree(d) + GetAnimal_China(year) + GetBeast(year) + GetCreature(d) +
                        GetNumber(d);
        }
        benchmark::DoNotOptimize(checksum);
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(last - first + 1));
}
BENCHMARK(BM_AllCalculatorsPerDate)->Unit(benchmark::kMillisecond);

// One name entry (four keys) written into a names file that already holds 1 000 entries.
static void BM_NameEntryWrite(benchmark::State& state) {
    QTemporaryDir dir;
    IniFile names(dir.filePath(u"names.ini"_s));
    for (int i = 0; i < 1000; ++i) {
        const QString section = u"Человек номер "_s + QString::number(i);
        names.writeString(section, u"Date"_s, u"15.08.1975"_s);
        names.writeBool(section, u"ShowMain"_s, true);
        names.writeBool(section, u"ShowHoroscop"_s, true);
        names.writeInteger(section, u"HoroscopType"_s, i % 6);
    }
    int round = 0;
    for (auto _ : state) {
        const QString section = u"Человек номер "_s + QString::number(round++ % 1000);
        names.writeString(section, u"Date"_s, u"16.08.1975"_s);
        names.writeBool(section, u"ShowMain"_s, round % 2);
        names.writeBool(section, u"ShowHoroscop"_s, true);
        names.writeInteger(section, u"HoroscopType"_s, round % 6);
        names.flush();
    }
}
BENCHMARK(BM_NameEntryWrite)->Unit(benchmark::kMillisecond);

// A names file as the program writes it, with the given number of entries.
static QByteArray namesFile(int count) {
    QByteArray file;
    for (int i = 0; i < count; ++i)
        file += "[\xd7\xe5\xeb\xee\xe2\xe5\xea " + QByteArray::number(i) +
                "]\r\nDate=15.08.1975\r\nShowMain=1\r\nShowHoroscop=1\r\nHoroscopType=2\r\n";
    return file;
}

static void putFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

// What start-up does with the store: open it and list the names for the dialog. Compare the run with
// 20 000 names against the one with none.
static void BM_StartupListing(benchmark::State& state) {
    QTemporaryDir dir;
    if (state.range(0) > 0) putFile(dir.filePath(u"names.ini"_s), namesFile(int(state.range(0))));
    for (auto _ : state) {
        NameStore store(dir.path() + u'/');
        benchmark::DoNotOptimize(store.names());
    }
}
BENCHMARK(BM_StartupListing)->Arg(0)->Arg(20000)->Unit(benchmark::kMillisecond);

// "Очистить список" with 20 000 names.
static void BM_ClearNames(benchmark::State& state) {
    QTemporaryDir dir;
    const QByteArray file = namesFile(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        putFile(dir.filePath(u"names.ini"_s), file);
        NameStore store(dir.path() + u'/');
        state.ResumeTiming();
        store.clear();
    }
}
BENCHMARK(BM_ClearNames)->Arg(20000)->Unit(benchmark::kMillisecond);

// "Готово" storing one name (four keys, on disk when it returns) into a file of 20 000 names.
static void BM_WriteOneName(benchmark::State& state) {
    QTemporaryDir dir;
    putFile(dir.filePath(u"names.ini"_s), namesFile(int(state.range(0))));
    NameStore store(dir.path() + u'/');
    store.names();
    int round = 0;
    for (auto _ : state) {
        const QString name = u"Человек "_s + QString::number(round++ % 100 * 199);
        store.write(name, {encodeDate(1975, 8, 16), round % 2 == 0, true, round % 6});
    }
}
BENCHMARK(BM_WriteOneName)->Arg(20000)->Unit(benchmark::kMillisecond);

// Importing 5 000 vCards into a store of 20 000 names, in the two steps the import takes: reading the file
// and planning against the stored entries (before the preview), then from the confirmation to the store
// written (entriesToWrite and one writeAll).
static QByteArray fiveThousandCards() {
    QByteArray file;
    for (int i = 0; i < 5000; ++i)
        file += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:\xd0\x9f\xd0\xb5\xd1\x82\xd1\x80\xd0\xbe\xd0\xb2;"
                "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd;;;\r\nFN:\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd " +
                QByteArray::number(i) + "\r\nTEL;TYPE=CELL:+7 900 000 00 00\r\nBDAY:1975-08-" +
                QByteArray::number(10 + i % 18) + "\r\nEND:VCARD\r\n";
    return file;
}

static void BM_ImportReadAndPlan(benchmark::State& state) {
    QTemporaryDir dir;
    putFile(dir.filePath(u"names.ini"_s), namesFile(20000));
    putFile(dir.filePath(u"import.vcf"_s), fiveThousandCards());
    for (auto _ : state) {
        const NameStore store(dir.path() + u'/');
        const contacts::ImportPlan plan =
            contacts::planImport(contacts::readContactsFile(dir.filePath(u"import.vcf"_s)), store.readAll());
        if (plan.items.size() != 5000) std::abort();
    }
}
BENCHMARK(BM_ImportReadAndPlan)->Unit(benchmark::kMillisecond);

static void BM_ImportConfirmedToStoreWritten(benchmark::State& state) {
    QTemporaryDir dir;
    const QByteArray stored = namesFile(20000);
    putFile(dir.filePath(u"names.ini"_s), stored);
    const contacts::ImportPlan plan = contacts::planImport(contacts::readVCards(fiveThousandCards()),
                                                           NameStore(dir.path() + u'/').readAll());
    for (auto _ : state) {
        state.PauseTiming();
        putFile(dir.filePath(u"names.ini"_s), stored);
        NameStore store(dir.path() + u'/');
        state.ResumeTiming();
        store.writeAll(contacts::entriesToWrite(plan));
    }
}
BENCHMARK(BM_ImportConfirmedToStoreWritten)->Unit(benchmark::kMillisecond);

// Exporting 20 000 people, as "Люди" holds them after reading the store.
static QList<NamedEntry> twentyThousandPeople() {
    QList<NamedEntry> people;
    for (int i = 0; i < 20000; ++i)
        people.append(
            {u"Человек номер "_s + QString::number(i), {encodeDate(1950 + i % 60, 1 + i % 12, 1 + i % 28)}});
    return people;
}

static void BM_ExportCsv(benchmark::State& state) {
    const QList<NamedEntry> people = twentyThousandPeople();
    for (auto _ : state)
        benchmark::DoNotOptimize(contacts::writeCsv(people));
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond);

static void BM_ExportVCards(benchmark::State& state) {
    const QList<NamedEntry> people = twentyThousandPeople();
    for (auto _ : state)
        benchmark::DoNotOptimize(contacts::writeVCards(people));
}
BENCHMARK(BM_ExportVCards)->Unit(benchmark::kMillisecond);

// The day's page of the lunar calendar in Moscow with a person, as "Сегодня" makes it: the day worked out
// and its page written with its texts read. Cold: every round takes another date, so nothing is shared.
static void BM_lunarDayPage(benchmark::State& state) {
    const Folders folders = Folders::fromAppFolder(QStringLiteral(SOLVENNA_APP_DIR));
    const CompatibilityPerson anna{u"Анна"_s, u"15.08.1975"_s, encodeDate(1975, 8, 15)};
    QDate date(2024, 1, 1);
    for (auto _ : state) {
        const auto day = lunar::dayAt(date, moscow());
        auto page = lunarpage::dayPage(*day, moscow(), folders, anna);
        if (page.html.isEmpty()) state.SkipWithError("a text of the day is missing");
        benchmark::DoNotOptimize(page);
        date = date.addDays(37);
        if (date.year() > 2099) date = QDate(1901, 1, 1);
    }
}
BENCHMARK(BM_lunarDayPage)->Unit(benchmark::kMillisecond);

// A month's lunar calendar in Moscow, worked out and written as its page.
static void BM_lunarMonthPage(benchmark::State& state) {
    const Folders folders = Folders::fromAppFolder(QStringLiteral(SOLVENNA_APP_DIR));
    int month = 0;
    for (auto _ : state) {
        const auto days = lunar::monthAt(2000 + month / 12, month % 12 + 1, moscow());
        auto page = lunarpage::monthPage(*days, moscow(), folders);
        if (page.html.isEmpty()) state.SkipWithError("a picture of the month is missing");
        benchmark::DoNotOptimize(page);
        month += 7;
    }
}
BENCHMARK(BM_lunarMonthPage)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
