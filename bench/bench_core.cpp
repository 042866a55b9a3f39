#include "core/date.h"
#include "core/inifile.h"
#include "core/messages.h"
#include "core/signs.h"

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

BENCHMARK_MAIN();
