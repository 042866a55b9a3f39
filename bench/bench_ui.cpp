// Start-up time and peak memory of the real program against a bare Qt window, and page loading.
// Run: QT_QPA_PLATFORM=offscreen build/bench/bench_ui   (or under an X server)
#include "core/namestore.h"
#include "core/peoplemodel.h"
#include "main.h"
#include "pagecheck.h"
#include "pageview.h"
#include "peoplewindow.h"
#include "printing.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

using namespace Qt::Literals::StringLiterals;

namespace {

QString g_binaryFolder;

// Runs a probe to its end; returns its wall time in seconds and its peak resident memory in KiB, or -1
// when it did not start or did not end well.
std::pair<double, long> runProbe(const QString& name) {
    const QByteArray path = QFile::encodeName(g_binaryFolder + u'/' + name);
    char* argv[] = {const_cast<char*>(path.constData()), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, path.constData(), nullptr, nullptr, argv, environ) != 0) return {-1, -1};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {-1, -1};
    return {elapsed.count(), usage.ru_maxrss};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// From process start until the personal data dialog has been painted, against a bare Qt window from
// process start until it has been painted. The two run in turns, so that whatever else the machine does
// touches both alike; the counters are medians, as one run slowed by another process says nothing.
void BM_StartupAgainstBareWindow(benchmark::State& state) {
    std::vector<double> bare;
    std::vector<double> program;
    long peak = 0;
    long barePeak = 0;
    for (auto _ : state) {
        const auto [bareSeconds, bareKib] = runProbe(u"bare_window_probe"_s);
        const auto [seconds, kib] = runProbe(u"startup_probe"_s);
        if (bareSeconds < 0 || seconds < 0) {
            state.SkipWithError("a probe did not start or did not end well");
            return;
        }
        state.SetIterationTime(seconds);
        bare.push_back(bareSeconds * 1000);
        program.push_back(seconds * 1000);
        peak = std::max(peak, kib);
        barePeak = std::max(barePeak, bareKib);
    }
    const double bareMedian = median(bare);
    const double programMedian = median(program);
    state.counters["bare_ms"] = bareMedian;
    state.counters["program_ms"] = programMedian;
    state.counters["ratio"] = programMedian / bareMedian;
    state.counters["peak_MiB"] = double(peak) / 1024.0;
    state.counters["bare_peak_MiB"] = double(barePeak) / 1024.0;
}
BENCHMARK(BM_StartupAgainstBareWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(61);

// LoadFile of a 20 KB page until the page view has laid it out.
void BM_LoadFile20KBPage(benchmark::State& state) {
    QTemporaryDir dir;
    QByteArray page = "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />"
                      "</head><body><h1>Лев — Зодиакальный гороскоп</h1>";
    for (int i = 0; page.size() < 20 * 1024; ++i)
        page += "<p>Абзац " + QByteArray::number(i) +
                ": Лев щедр и открыт, любит тепло, признание и красивые начинания; ему важно, чтобы рядом "
                "были люди, которые видят его старания.</p>";
    page += "</body></html>";
    const QString path = dir.filePath(u"page.htm"_s);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(page);
    file.close();

    TForm1 form;
    form.Folders = solvenna::Folders::fromAppFolder(dir.path() + u'/');
    form.resize(800, 600);
    for (auto _ : state) {
        form.Web1->Quit();
        form.LoadFile(path);
        benchmark::DoNotOptimize(form.Web1->document()->documentLayout()->documentSize());
    }
    state.counters["page_KiB"] = double(page.size()) / 1024.0;
}
BENCHMARK(BM_LoadFile20KBPage)->Unit(benchmark::kMillisecond);

// The worst pages the page check lets through, each as far as one of its bounds allows (the rest of the
// page within the others).
QByteArray worstPassingPage(int which, QString& name) {
    using L = solvenna::ui::LayoutLimits;
    const auto words = [](qint64 characters, qsizetype length) {
        QByteArray text;
        const QByteArray word = QByteArray(length - 1, 'w') + "\xD0\xB6 "; // ends in a Cyrillic letter
        for (qint64 used = 0; used + length + 1 <= characters; used += length + 1)
            text += word;
        return text;
    };
    const QByteArray head = "<html><head><meta charset=\"utf-8\"></head><body>";
    switch (which) {
    case 0:
        name = u"short words"_s;
        return head + "<p>" + words(L::kMaxText - 16, 6) + "</p>";
    case 1:
        name = u"longest words"_s;
        return head + "<p>" + words(L::kMaxText - 16, L::kMaxWordLength) + "</p>";
    case 2:
        name = u"longest words in the largest print"_s;
        return head + "<p style=\"font-size:" + QByteArray::number(L::kMaxFontPoints) + "pt\">" +
               words(L::kMaxText - 16, L::kMaxWordLength) + "</p>";
    case 3: {
        name = u"deepest tables"_s;
        QByteArray page = head;
        for (int i = 1; i < L::kMaxTableNesting; ++i)
            page += "<table border=1 cellpadding=4><tr><td>";
        // The innermost table takes the cells and the text that are left.
        const qint64 cellsLeft =
            (L::kMaxTableCost - ((qint64(1) << (L::kMaxTableNesting - 1)) - 1)) >> (L::kMaxTableNesting - 1);
        const qint64 textLeft = (L::kMaxText >> L::kMaxTableNesting) - 16;
        page += "<table border=1 cellpadding=4><tr>";
        for (qint64 cell = 0; cell < cellsLeft; ++cell)
            page += "<td>" + words(textLeft / cellsLeft, 8) + "</td>";
        return page;
    }
    case 4: {
        name = u"most cells"_s;
        QByteArray page = head + "<table border=1 cellpadding=4>";
        for (qint64 row = 0; row < L::kMaxTableCost / 4; ++row) {
            page += "<tr>";
            for (int cell = 0; cell < 4; ++cell)
                page += "<td>" + words(L::kMaxText / 2 / L::kMaxTableCost - 4, 8) + "</td>";
            page += "</tr>";
        }
        return page + "</table>";
    }
    }
    return {};
}

// Each of those pages laid out by the page view at the largest zoom step on the pane's least width, from
// reading the file to the last line: the check's bounds hold each well under 200 ms.
void BM_LayOutWorstPassingPage(benchmark::State& state) {
    QString name;
    const QByteArray page = worstPassingPage(int(state.range(0)), name);
    state.SetLabel(name.toStdString());
    QTemporaryDir dir;
    const QString path = dir.filePath(u"page.htm"_s);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(page);
    file.close();
    if (const QString refusal = solvenna::ui::pageRefusal(QString::fromUtf8(page)); !refusal.isEmpty()) {
        state.SkipWithError(("the check refuses it: " + refusal.toStdString()).c_str());
        return;
    }
    PageView view;
    view.setDataFolder(dir.path());
    view.resize(360, 400);
    view.show();
    view.setZoom(300);
    for (auto _ : state) {
        view.Quit();
        view.Navigate(path);
        benchmark::DoNotOptimize(view.document()->documentLayout()->documentSize());
    }
    state.counters["page_KiB"] = double(page.size()) / 1024.0;
}
BENCHMARK(BM_LayOutWorstPassingPage)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// The whole horoscope of 15 August 1975 written as one PDF file: cover, contents, the sixteen pages and
// the bookmarks, from the pages beside the built program.
void BM_WholeHoroscopePdf(benchmark::State& state) {
    const solvenna::Folders folders =
        solvenna::Folders::fromAppFolder(QFileInfo(g_binaryFolder).path() + u'/');
    QTemporaryDir dir;
    const QString path = dir.filePath(u"horoscope.pdf"_s);
    int pages = 0;
    for (auto _ : state)
        pages = solvenna::ui::writeHoroscopePdf(folders, solvenna::encodeDate(1975, 8, 15), u"Анна"_s, path);
    state.counters["pages"] = pages;
    state.counters["file_KiB"] = double(QFileInfo(path).size()) / 1024.0;
}
BENCHMARK(BM_WholeHoroscopePdf)->Unit(benchmark::kMillisecond);

// Twenty thousand people in a store, as an import or years of use leave it: varied names and dates.
QList<solvenna::NamedEntry> manyPeople(int count) {
    static const char16_t* first[] = {u"Анна", u"Борис", u"Вера",   u"Глеб",  u"Дарья",
                                      u"Егор", u"Жанна", u"Зоя",    u"Игорь", u"Ксения",
                                      u"Лев",  u"Мария", u"Никита", u"Ольга", u"Пётр"};
    QList<solvenna::NamedEntry> people;
    for (int i = 0; i < count; ++i)
        people.append({QString::fromUtf16(first[i % 15]) + u' ' + QString::number(i * 7919 % 100003),
                       {solvenna::encodeDate(1930 + i % 90, 1 + i % 12, 1 + i % 28), false, false, 0}});
    return people;
}

// "Люди" with 20 000 people: from the command to the window painted with its table.
void BM_PeopleWindowShown(benchmark::State& state) {
    QTemporaryDir dir;
    solvenna::NameStore store(dir.path() + u'/');
    store.writeAll(manyPeople(int(state.range(0))));
    for (auto _ : state) {
        TPeopleWindow window(store);
        window.show();
        window.repaint();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.model()->rowCount());
    }
}
BENCHMARK(BM_PeopleWindowShown)->Arg(20000)->Unit(benchmark::kMillisecond);

// Sorting 20 000 people by a column (its number is the argument), the table's rows laid out again.
void BM_PeopleSort(benchmark::State& state) {
    PeopleModel model;
    model.setPeople(manyPeople(20000), solvenna::encodeDate(2026, 12, 9));
    QTableView view;
    view.setModel(&model);
    view.show();
    int turn = 0;
    for (auto _ : state) {
        view.sortByColumn(int(state.range(0)), turn++ % 2 ? Qt::AscendingOrder : Qt::DescendingOrder);
        view.repaint();
    }
}
BENCHMARK(BM_PeopleSort)->DenseRange(0, PeopleModel::kColumnCount - 1)->Unit(benchmark::kMillisecond);

// One keystroke in the filter of "Люди" with 20 000 people.
void BM_PeopleFilterKeystroke(benchmark::State& state) {
    QTemporaryDir dir;
    solvenna::NameStore store(dir.path() + u'/');
    store.writeAll(manyPeople(20000));
    TPeopleWindow window(store);
    window.show();
    QCoreApplication::processEvents();
    int turn = 0;
    for (auto _ : state) {
        window.FilterEdit->setText(turn++ % 2 ? u"ан"_s : u"а"_s);
        window.repaint();
    }
}
BENCHMARK(BM_PeopleFilterKeystroke)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Dates as the program's users store them: the Russian short format.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    g_binaryFolder = QCoreApplication::applicationDirPath();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
