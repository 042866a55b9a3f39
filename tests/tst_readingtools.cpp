// Reading tools of the main window: print and PDF of a page, the whole horoscope as one PDF, find in page
// and zoom.
#include "core/datetext.h"
#include "core/groupcompatibility.h"
#include "core/horoscopebook.h"
#include "core/summary.h"
#include "findbar.h"
#include "main.h"
#include "pageview.h"
#include "printing.h"
#include "setup.h"
#include "style.h"
#include "whoim.h"

#include "programwindows.h"
#include "testsupport.h"
#include "uitestsupport.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <QToolButton>
#include <QUrl>
#include <algorithm>

using namespace solvenna;
using namespace Qt::Literals::StringLiterals;
using testsupport::ServiceRecorder;

namespace {

// What a PDF reader makes of a file: its text (pdftotext) and its page count and errors (pdfinfo).
struct PdfReading {
    QString text;
    int pages = -1;
    QString errors;
};
PdfReading readPdf(const QString& path) {
    PdfReading reading;
    QProcess text;
    text.start(u"pdftotext"_s, {u"-enc"_s, u"UTF-8"_s, path, u"-"_s});
    if (text.waitForFinished(20000)) reading.text = QString::fromUtf8(text.readAllStandardOutput());
    reading.errors += QString::fromUtf8(text.readAllStandardError());
    QProcess info;
    info.start(u"pdfinfo"_s, {path});
    if (info.waitForFinished(20000)) {
        for (const QString& line : QString::fromUtf8(info.readAllStandardOutput()).split(u'\n'))
            if (line.startsWith(u"Pages:"_s)) reading.pages = line.mid(6).trimmed().toInt();
    }
    reading.errors += QString::fromUtf8(info.readAllStandardError());
    return reading;
}

// The lines of each page a PDF reader finds, without the footer, the page number and the running header
// (one of `headers`).
QList<QStringList> pageBodies(const QString& pdfText, const QString& footer, const QSet<QString>& headers) {
    static const QRegularExpression pageNumber(u"^стр\\. \\d+$"_s);
    QList<QStringList> pages;
    for (const QString& page : pdfText.split(u'\f')) {
        QStringList lines;
        for (const QString& raw : page.split(u'\n')) {
            const QString line = raw.trimmed();
            if (line.isEmpty() || line == footer || pageNumber.match(line).hasMatch() ||
                (lines.isEmpty() && headers.contains(line)))
                continue;
            lines << line;
        }
        pages << lines;
    }
    return pages;
}

// The words of a text; hyphens left out, as the reader joins a word hyphenated at a line's end ("по-" and
// "настоящему" read as "понастоящему").
QStringList wordsOf(QString text) {
    static const QRegularExpression blanks(u"\\s+"_s);
    text.remove(u'-');
    QStringList words = text.split(blanks, Qt::SkipEmptyParts);
    words.removeAll(u"•"_s); // a list's bullet, drawn but not part of the text
    return words;
}

QList<QAction*> itemsOf(QMenu* menu) {
    return menu->actions();
}
} // namespace

class ReadingToolsTest : public testsupport::ProgramWindows {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();

    void menus_keepTheirItemsAndAddTheTools();
    void tools_areEnabledByWhatIsShown();
    void pagePdf_holdsThePageAndTheFooter();
    void pagePdf_wideGridFitsThePaper();
    void horoscopePdf_holdsCoverContentsAndEveryPage();
    void horoscopePdf_skipsWhatIsMissingWithALine();
    void horoscopePdf_pageBreaksNeitherRepeatNorLoseALine();
    void horoscopePdf_contentsListTopicsUnderTheirSystemInOneType();
    void save_saysWhatWasWrittenAndWhere_data();
    void save_saysWhatWasWrittenAndWhere();
    void horoscopePdf_inAFolderThatRefuses_reportsTheError();
    void bookmarks_areAddedAsAnUpdate();
    void find_countsAndMoves_data();
    void find_countsAndMoves();
    void find_closesWithEscapeAndWithAnotherPage();
    void zoom_scalesThePagesAndIsRemembered();
    void zoom_keepsTheHeadingsInProportion_data();
    void zoom_keepsTheHeadingsInProportion();
    void zoom_brokenValue_givesTheNormalSize_data();
    void zoom_brokenValue_givesTheNormalSize();
    void proposedFileName_isSafeAndRussian();

private:
    void showLionPage(const QString& topicFile = u"element.htm"_s);
};

void ReadingToolsTest::initTestCase() {
    startProgram();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QVERIFY2(!QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty(),
             "pdftotext (poppler-utils) is needed");
}

void ReadingToolsTest::init() {
    beginTest();
    BirthDate = encodeDate(1975, 8, 15);
    PersonName = u"Анна"_s;
}

void ReadingToolsTest::showLionPage(const QString& topicFile) {
    m_form->LoadFile(m_form->Folders.ZodiacFolder + u"lion/"_s + topicFile);
}

void ReadingToolsTest::menus_keepTheirItemsAndAddTheTools() {
    createWindowsWithAnna();
    QStringList horoscope;
    for (QAction* a : itemsOf(m_form->N1))
        horoscope << (a->isSeparator() ? u"-"_s : a->text());
    QCOMPARE(horoscope,
             (QStringList{u"Ввести личные данные"_s, u"-"_s, u"Общая информация"_s, u"Выдать гороскоп"_s,
                          u"Совместимость..."_s, u"Люди..."_s, u"Карточка..."_s, u"-"_s, u"Сегодня"_s,
                          u"Календарь на месяц"_s, u"Вчера"_s, u"Завтра"_s, u"-"_s, u"Печать..."_s,
                          u"Предварительный просмотр..."_s, u"Сохранить страницу в PDF..."_s,
                          u"Сохранить весь гороскоп в PDF..."_s, u"-"_s, u"Выход"_s}));
    // No specified shortcut changed; the new ones are free keys.
    QCOMPARE(m_form->N12->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    QCOMPARE(m_form->N6->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    QCOMPARE(m_form->PrintItem->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    QSet<QKeySequence> seen;
    for (QAction* a : m_form->findChildren<QAction*>()) {
        for (const QKeySequence& key : a->shortcuts()) {
            QVERIFY2(!seen.contains(key), qPrintable(key.toString()));
            seen.insert(key);
        }
    }
    QStringList view;
    for (QAction* a : itemsOf(m_form->N2))
        view << (a->isSeparator() ? u"-"_s : a->text());
    QCOMPARE(view, (QStringList{u"Показывать подсказки"_s, u"Плавная прокрутка"_s, u"-"_s, u"Настройки..."_s,
                                u"-"_s, u"Найти на странице..."_s, u"-"_s, u"Крупнее"_s, u"Мельче"_s,
                                u"Обычный размер"_s, u"-"_s, u"Ночной режим"_s}));
    QVERIFY(m_form->ZoomInItem->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Equal)));
}

void ReadingToolsTest::tools_areEnabledByWhatIsShown() {
    createWindowsWithAnna();
    BirthDate = encodeDate(1900, 1, 1);
    m_form->Timer1Timer();
    for (QAction* a : {m_form->PrintItem, m_form->PreviewItem, m_form->SavePagePdfItem,
                       m_form->SaveHoroscopePdfItem, m_form->FindItem})
        QVERIFY2(!a->isEnabled(), qPrintable(a->text()));
    BirthDate = encodeDate(1975, 8, 15);
    m_form->Timer1Timer();
    QVERIFY(m_form->SaveHoroscopePdfItem->isEnabled());
    QVERIFY(!m_form->PrintItem->isEnabled()); // no page yet
    showLionPage();
    m_form->Timer1Timer();
    for (QAction* a : {m_form->PrintItem, m_form->PreviewItem, m_form->SavePagePdfItem, m_form->FindItem})
        QVERIFY2(a->isEnabled(), qPrintable(a->text()));
}

// The grid of twenty people is wider than the paper: it is drawn smaller, not cut at the right edge.
void ReadingToolsTest::pagePdf_wideGridFitsThePaper() {
    QList<CompatibilityPerson> people;
    for (int i = 0; i < kMaxGroupSize; ++i) {
        const Date born = encodeDate(1950 + 3 * i, 1 + i % 12, 1 + i % 28);
        people.append(
            {i + 1 == kMaxGroupSize ? u"Последний"_s : u"Участник %1"_s.arg(i), dateToText(born), born});
    }
    const QString data = programFolder() + u"Data/"_s;
    const ui::PrintSource grid{
        {}, groupCompatibilityPage(people), QUrl::fromLocalFile(data + u"Compatibility/"_s), data, {}};
    ui::writePagePdf(grid, u"Группа"_s, folder() + u"grid.pdf"_s);
    const PdfReading pdf = readPdf(folder() + u"grid.pdf"_s);
    QVERIFY2(pdf.errors.isEmpty(), qPrintable(pdf.errors));
    // Every place the page names the last person, the last column's heading among them, is on paper.
    const qsizetype onPage = ui::printableDocument(grid)->toPlainText().count(u"Последний"_s);
    QVERIFY(onPage >= 3);
    QCOMPARE(pdf.text.count(u"Последний"_s), onPage);
}

void ReadingToolsTest::pagePdf_holdsThePageAndTheFooter() {
    createWindowsWithAnna();
    showLionPage();
    m_services->saveAnswer = folder() + u"page.pdf"_s;
    m_form->SavePagePdfItem->setEnabled(true);
    m_form->SavePagePdfItem->trigger();
    QCOMPARE(m_services->saveQuestions.size(), 1);
    QVERIFY(m_services->saveQuestions[0].second.endsWith(
        u"Анна — Лев — Зодиакальный гороскоп, Стихия знака.pdf"_s));
    QVERIFY(m_services->boxes.isEmpty());
    const PdfReading pdf = readPdf(m_services->saveAnswer);
    QVERIFY2(pdf.errors.isEmpty(), qPrintable(pdf.errors));
    QVERIFY(pdf.pages >= 1);
    QVERIFY(pdf.text.contains(u"Лев — Зодиакальный гороскоп"_s));
    QVERIFY(pdf.text.contains(u"Советы по стихии"_s));
    QVERIFY(pdf.text.contains(u"Анна, 15.08.1975"_s));
    QVERIFY(pdf.text.contains(u"стр. 1"_s));

    // Cancelled: nothing written, nothing said.
    m_services->saveAnswer.clear();
    QFile::remove(folder() + u"page.pdf"_s);
    m_form->SavePagePdfItem->trigger();
    QVERIFY(!QFile::exists(folder() + u"page.pdf"_s));
    QVERIFY(m_services->boxes.isEmpty());
}

void ReadingToolsTest::horoscopePdf_holdsCoverContentsAndEveryPage() {
    createWindowsWithAnna();
    m_form->Timer1Timer();
    m_services->saveAnswer = folder() + u"all.pdf"_s;
    m_form->SaveHoroscopePdfItem->trigger();
    QVERIFY2(m_services->boxes.isEmpty(), qPrintable(m_services->texts().join(u'|')));
    const PdfReading pdf = readPdf(m_services->saveAnswer);
    QVERIFY2(pdf.errors.isEmpty(), qPrintable(pdf.errors));
    QVERIFY(pdf.pages >= 2 + 16);
    // The summary's six lines, as on screen.
    for (const QString& line : summaryText(BirthDate, PersonName).split(u"\n\r"_s))
        QVERIFY2(pdf.text.simplified().contains(line.simplified()), qPrintable(line));
    for (int topic = 0; topic < kTopicCount; ++topic)
        QVERIFY2(pdf.text.contains(topicCaption(topic)), qPrintable(topicCaption(topic)));
    for (const char* heading : {"Кот — Китайский гороскоп", "Содержание", "Персональный гороскоп"})
        QVERIFY2(pdf.text.contains(QString::fromUtf8(heading)), heading);
    // Bookmarks: the cover, the contents and the sixteen pages.
    const QByteArray bytes = testsupport::readBytes(m_services->saveAnswer);
    QVERIFY(bytes.contains("/Outlines"));
    QCOMPARE(bytes.count("/Title <FEFF"), 2 + 16);
}

void ReadingToolsTest::horoscopePdf_skipsWhatIsMissingWithALine() {
    createWindowsWithAnna();
    // A copy of the pages in which the Druid page is missing.
    QTemporaryDir copy;
    const QString app = testsupport::readableProgramFolder(testsupport::dataFolder(), copy);
    const Folders folders = Folders::fromAppFolder(app);
    QVERIFY(QFile::remove(folders.DruidFolder + u"kartas.htm"_s));
    const QString path = folder() + u"some.pdf"_s;
    const int written = ui::writeHoroscopePdf(folders, encodeDate(1905, 8, 15), u"Анна"_s, path);
    const PdfReading pdf = readPdf(path);
    QVERIFY2(pdf.errors.isEmpty(), qPrintable(pdf.errors));
    QCOMPARE(pdf.pages, written);
    const QString text = pdf.text.simplified();
    QVERIFY(text.contains(u"нет: китайский гороскоп составляется для годов с 1910"_s));
    QVERIFY(text.contains(u"нет: страница не найдена"_s));
    QVERIFY(!pdf.text.contains(u"Китайский гороскоп\n"_s + u"Кот"_s));
    QCOMPARE(testsupport::readBytes(path).count("/Title <FEFF"), 2 + 14);
}

void ReadingToolsTest::horoscopePdf_pageBreaksNeitherRepeatNorLoseALine() {
    createWindowsWithAnna();
    const QString path = folder() + u"all.pdf"_s;
    const int written = ui::writeHoroscopePdf(m_form->Folders, BirthDate, PersonName, path);
    const PdfReading pdf = readPdf(path);
    QVERIFY2(pdf.errors.isEmpty(), qPrintable(pdf.errors));
    QCOMPARE(pdf.pages, written);

    // What the pages hold, read as the viewer reads them.
    QSet<QString> headers;
    QStringList openings; // each document's first line of text, its heading
    QStringList expected;
    for (const BookPage& page : personalPages(m_form->Folders, BirthDate)) {
        QVERIFY2(page.missingReason.isEmpty(), qPrintable(page.title));
        const auto document = ui::printableDocument(page.path, m_form->Folders.DataFolder);
        headers << ui::runningHeader(page, document->metaInformation(QTextDocument::DocumentTitle));
        openings << document->begin().text();
        expected << wordsOf(document->toPlainText());
    }
    const QList<QStringList> pages = pageBodies(pdf.text, ui::footerText(PersonName, BirthDate), headers);
    // From the first topic on, a page begins a document with its heading or continues one under a running
    // header.
    const QStringList raw = pdf.text.split(u'\f');
    const QString firstHeading = u"Лев — Зодиакальный гороскоп"_s;
    bool inTopics = false;
    int continued = 0;
    for (qsizetype i = 0; i < pages.size() && i < raw.size(); ++i) {
        const QString top = raw[i].trimmed().section(u'\n', 0, 0).trimmed();
        inTopics = inTopics || top == firstHeading;
        if (!inTopics || pages[i].isEmpty()) continue;
        if (headers.contains(top) && top != pages[i].first())
            ++continued;
        else
            QVERIFY2(
                std::any_of(openings.begin(), openings.end(),
                            [&](const QString& opening) { return opening.startsWith(pages[i].first()); }),
                qPrintable(u"page %1: %2"_s.arg(i + 1).arg(top)));
    }
    QVERIFY(continued > 0);
    for (qsizetype i = 0; i + 1 < pages.size(); ++i) {
        if (pages[i].isEmpty() || pages[i + 1].isEmpty()) continue;
        QString last = pages[i].last();
        if (last.endsWith(u'-')) last.chop(1);
        QVERIFY2(!pages[i + 1].first().startsWith(last),
                 qPrintable(u"page %1 repeats \"%2\""_s.arg(i + 2).arg(pages[i].last())));
    }
    // Every line printed once, in order: after the cover and the contents, the pages' words are the
    // documents' words.
    QStringList printed;
    for (const QStringList& page : pages)
        printed << wordsOf(page.join(u' '));
    qsizetype start = 0;
    while (start < printed.size() && printed.mid(start, 12) != expected.mid(0, 12))
        ++start;
    QVERIFY(start < printed.size());
    printed = printed.mid(start);
    qsizetype same = 0;
    while (same < printed.size() && same < expected.size() && printed[same] == expected[same])
        ++same;
    QVERIFY2(same == printed.size() && same == expected.size(),
             qPrintable(u"printed \"%1\", expected \"%2\""_s.arg(printed.mid(same - 5, 15).join(u' '),
                                                                 expected.mid(same - 5, 15).join(u' '))));
}

void ReadingToolsTest::horoscopePdf_contentsListTopicsUnderTheirSystemInOneType() {
    createWindowsWithAnna();
    const QString path = folder() + u"all.pdf"_s;
    ui::writeHoroscopePdf(m_form->Folders, BirthDate, PersonName, path);
    const PdfReading pdf = readPdf(path);
    QVERIFY2(pdf.errors.isEmpty(), qPrintable(pdf.errors));
    QVERIFY(!pdf.text.contains(u"Зодиакальный гороскоп:"_s));
    QStringList contents;
    for (const QString& page : pdf.text.split(u'\f'))
        if (page.trimmed().startsWith(u"Содержание"_s)) contents = page.split(u'\n');
    QVERIFY(!contents.isEmpty());
    // The system's caption once, on a line of its own, then each topic by its own name.
    const qsizetype zodiac = contents.indexOf(u"Зодиакальный гороскоп"_s);
    QVERIFY(zodiac >= 0);
    qsizetype at = zodiac;
    for (int topic = 0; topic < kTopicCount; ++topic) {
        at = contents.indexOf(QRegularExpression(u"^"_s + topicCaption(topic) + u"( \\d+)?$"_s), at + 1);
        QVERIFY2(at > zodiac, qPrintable(topicCaption(topic)));
    }
    QVERIFY(contents.indexOf(QRegularExpression(u"^Китайский гороскоп( \\d+)?$"_s)) > at);

    // Cover, contents, headings, running headers and footers in one type family.
    QProcess fonts;
    fonts.start(u"pdffonts"_s, {path});
    QVERIFY(fonts.waitForFinished(20000));
    const QStringList rows =
        QString::fromUtf8(fonts.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(rows.size() > 2); // a heading, a rule, then one row per font
    for (const QString& row : rows.mid(2))
        QVERIFY2(row.section(u'+', -1).startsWith(u"DejaVuSerif"_s), qPrintable(row));
}

void ReadingToolsTest::save_saysWhatWasWrittenAndWhere_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("what");
    QTest::newRow("page") << u"SavePagePdfItem"_s << u"Страница сохранена в PDF: "_s;
    QTest::newRow("whole horoscope") << u"SaveHoroscopePdfItem"_s << u"Весь гороскоп ("_s;
}

void ReadingToolsTest::save_saysWhatWasWrittenAndWhere() {
    QFETCH(QString, item);
    QFETCH(QString, what);
    createWindowsWithAnna();
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    showLionPage();
    m_form->Timer1Timer();
    m_services->saveAnswer = folder() + u"Анна.pdf"_s;
    m_form->findChild<QAction*>(item)->trigger();
    QVERIFY2(m_services->boxes.isEmpty(), qPrintable(m_services->texts().join(u'|')));
    QVERIFY(QFile::exists(m_services->saveAnswer));
    const QString notice = m_form->statusBar()->currentMessage();
    QVERIFY2(notice.startsWith(what) && notice.contains(u"«Анна.pdf»"_s) &&
                 notice.endsWith(QDir::toNativeSeparators(m_dir->path())),
             qPrintable(notice));

    QVERIFY(m_form->OpenSavedFileButton->isVisible());
    QTest::mouseClick(m_form->OpenSavedFileButton, Qt::LeftButton);
    QTest::mouseClick(m_form->OpenSavedFolderButton, Qt::LeftButton);
    QCOMPARE(m_services->urls,
             (QList<QUrl>{QUrl::fromLocalFile(m_services->saveAnswer), QUrl::fromLocalFile(m_dir->path())}));
    // The buttons go with the notice they belong to.
    m_form->showNotice(u"Другое"_s);
    QVERIFY(!m_form->OpenSavedFileButton->isVisible());
}

void ReadingToolsTest::horoscopePdf_inAFolderThatRefuses_reportsTheError() {
    createWindowsWithAnna();
    m_form->Timer1Timer();
    QVERIFY(QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    m_services->saveAnswer = folder() + u"all.pdf"_s;
    m_form->SaveHoroscopePdfItem->trigger();
    QCOMPARE(m_services->boxes.size(), 1);
    QCOMPARE(m_services->boxes[0].kind, ui::BoxKind::Error);
    QCOMPARE(m_services->boxes[0].text, u"Unable to write to "_s + folder() + u"all.pdf."_s);
    QVERIFY(!QFile::exists(folder() + u"all.pdf"_s));
}

void ReadingToolsTest::bookmarks_areAddedAsAnUpdate() {
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        QPainter painter(&writer);
        for (int i = 0; i < 3; ++i) {
            if (i) writer.newPage();
            painter.drawText(100, 100, u"Страница %1"_s.arg(i + 1));
        }
    }
    const auto marked = addPdfBookmarks(pdf, {{u"Первая"_s, 0}, {u"Третья"_s, 2}});
    QVERIFY(marked);
    QVERIFY(marked->startsWith(pdf)); // the bytes written before stay
    QCOMPARE(marked->count("/Title <FEFF"), 2);
    const QString path = m_dir->filePath(u"marked.pdf"_s);
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(*marked);
    out.close();
    const PdfReading reading = readPdf(path);
    QVERIFY2(reading.errors.isEmpty(), qPrintable(reading.errors));
    QCOMPARE(reading.pages, 3);
    // A bookmark to a page the file does not have, or a file that is no PDF, changes nothing.
    QVERIFY(!addPdfBookmarks(pdf, {{u"Пятая"_s, 4}}));
    QVERIFY(!addPdfBookmarks("not a pdf", {{u"Первая"_s, 0}}));
    QVERIFY(!addPdfBookmarks(pdf.left(pdf.size() / 2), {{u"Первая"_s, 0}}));
}

void ReadingToolsTest::find_countsAndMoves_data() {
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("twin"); // spelled otherwise, with the same matches
    QTest::newRow("letter case") << u"ЛЕВ"_s << u"лев"_s;
    QTest::newRow("е for ё") << u"легкостью"_s << u"лёгкостью"_s;
    QTest::newRow("ё for е") << u"тёплые"_s << u"теплые"_s;
}

void ReadingToolsTest::find_countsAndMoves() {
    QFETCH(QString, query);
    QFETCH(QString, twin);
    createWindowsWithAnna();
    showLionPage();
    m_form->findInPage();
    TFindBar* bar = m_form->FindBar;
    QVERIFY(!bar->isHidden());
    QVERIFY(bar->field()->hasFocus() || !m_form->isVisible());
    QVERIFY(bar->field()->isClearButtonEnabled());
    bar->field()->setText(query);
    const int count = bar->matchCount();
    QVERIFY(count > 0);
    QCOMPARE(bar->countText(), u"%1 из %2"_s.arg(bar->currentMatch() + 1).arg(count));
    QCOMPARE(m_form->Web1->extraSelections().size(), count);
    bar->field()->setText(twin);
    QCOMPARE(bar->matchCount(), count);
    // Next and previous wrap around.
    const int first = bar->currentMatch();
    for (int i = 0; i < count; ++i)
        QTest::keyClick(bar->field(), Qt::Key_Return);
    QCOMPARE(bar->currentMatch(), first);
    QTest::keyClick(bar->field(), Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(bar->currentMatch(), (first - 1 + count) % count);
    QCOMPARE(m_form->Web1->textCursor().position(),
             m_form->Web1->extraSelections()[bar->currentMatch()].cursor.selectionStart());
}

void ReadingToolsTest::find_closesWithEscapeAndWithAnotherPage() {
    createWindowsWithAnna();
    showLionPage();
    m_form->findInPage();
    TFindBar* bar = m_form->FindBar;
    bar->field()->setText(u"нетакогослова"_s);
    QCOMPARE(bar->matchCount(), 0);
    QCOMPARE(bar->countText(), u"нет совпадений"_s);
    QCOMPARE(bar->field()->accessibleDescription(), u"Нет совпадений"_s);
    bar->field()->setText(u"Огонь"_s);
    QVERIFY(bar->matchCount() > 0);
    QTest::keyClick(bar->field(), Qt::Key_Escape);
    QVERIFY(bar->isHidden());
    QVERIFY(m_form->Web1->extraSelections().isEmpty());
    QVERIFY(bar->field()->text().isEmpty());

    m_form->findInPage();
    bar->field()->setText(u"Огонь"_s);
    QVERIFY(!m_form->Web1->extraSelections().isEmpty());
    showLionPage(u"career.htm"_s);
    QVERIFY(bar->isHidden());
    QVERIFY(m_form->Web1->extraSelections().isEmpty());
}

void ReadingToolsTest::zoom_scalesThePagesAndIsRemembered() {
    createWindowsWithAnna();
    showLionPage();
    const auto headingSize = [this] {
        return m_form->Web1->document()->begin().charFormat().fontPointSize() > 0
                   ? m_form->Web1->document()->begin().begin().fragment().charFormat().fontPointSize()
                   : m_form->Web1->document()->begin().begin().fragment().charFormat().font().pointSizeF();
    };
    const qreal normal = headingSize();
    QVERIFY(normal > 0);
    m_form->ZoomInItem->trigger();
    QCOMPARE(m_form->Web1->zoom(), 110);
    QCOMPARE(headingSize(), normal * 1.1);
    // The status bar shows the zoom while it is not 100 %.
    const auto zoomShown = [this] {
        const auto* label = m_form->statusBar()->findChild<QLabel*>(u"ZoomShown"_s);
        return m_form->statusBar()->isVisible() && label && label->isVisible() ? label->text() : QString();
    };
    m_form->show();
    QCOMPARE(zoomShown(), u"Масштаб: 110\u00A0%"_s);
    m_form->ZoomInItem->trigger();
    QCOMPARE(m_form->Web1->zoom(), 125);
    // Another page keeps the zoom.
    showLionPage(u"career.htm"_s);
    QCOMPARE(headingSize(), normal * 1.25);
    QVERIFY(testsupport::readBytes(folder() + u"solvenna.ini"_s).contains("PageZoom=125"));

    // The next run starts with it.
    endTest();
    init();
    QFile ini(folder() + u"solvenna.ini"_s);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[main]\r\nPageZoom=125\r\n");
    ini.close();
    createWindowsWithAnna();
    QCOMPARE(m_form->Web1->zoom(), 125);
    m_form->show();
    QCOMPARE(zoomShown(), u"Масштаб: 125\u00A0%"_s);
    m_form->ZoomNormalItem->trigger();
    QCOMPARE(m_form->Web1->zoom(), 100);
    QCOMPARE(zoomShown(), QString());
    m_form->ZoomOutItem->trigger();
    QCOMPARE(m_form->Web1->zoom(), 90);
}

void ReadingToolsTest::zoom_keepsTheHeadingsInProportion_data() {
    QTest::addColumn<int>("steps"); // Крупнее when above 0, Мельче when below
    for (const int steps : {-4, -1, 1, 3, 6})
        QTest::addRow("%+d", steps) << steps;
}

// Every size of the page grows and shrinks alike: the subheading stays as much larger than the text.
void ReadingToolsTest::zoom_keepsTheHeadingsInProportion() {
    QFETCH(int, steps);
    createWindowsWithAnna();
    showLionPage();
    // The sizes of the subheading "Стихия знака" and of the paragraph after the period line.
    const auto sizes = [this] {
        QTextBlock subheading = m_form->Web1->document()->findBlockByNumber(1);
        QTextBlock text = subheading.next().next();
        return std::pair(subheading.begin().fragment().charFormat().font().pointSizeF(),
                         text.begin().fragment().charFormat().font().pointSizeF());
    };
    const auto [heading, text] = sizes();
    QVERIFY2(heading > text, qPrintable(u"%1 against %2"_s.arg(heading).arg(text)));
    for (int i = 0; i < std::abs(steps); ++i)
        (steps > 0 ? m_form->ZoomInItem : m_form->ZoomOutItem)->trigger();
    const auto [zoomedHeading, zoomedText] = sizes();
    QVERIFY(zoomedText != text);
    QVERIFY2(std::abs(zoomedHeading / zoomedText - heading / text) < 0.01,
             qPrintable(u"%1/%2 at the normal size, %3/%4 at %5 %"_s.arg(heading)
                            .arg(text)
                            .arg(zoomedHeading)
                            .arg(zoomedText)
                            .arg(m_form->Web1->zoom())));
}

void ReadingToolsTest::zoom_brokenValue_givesTheNormalSize_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("a word") << QByteArray("huge");
    QTest::newRow("not a step") << QByteArray("133");
    QTest::newRow("negative") << QByteArray("-50");
    QTest::newRow("enormous") << QByteArray("99999999999");
}

void ReadingToolsTest::zoom_brokenValue_givesTheNormalSize() {
    QFETCH(QByteArray, value);
    QFile ini(folder() + u"solvenna.ini"_s);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[main]\r\nPageZoom=" + value + "\r\n");
    ini.close();
    createWindowsWithAnna();
    QCOMPARE(m_form->Web1->zoom(), 100);
}

void ReadingToolsTest::proposedFileName_isSafeAndRussian() {
    const QString path = ui::proposedPdfPath(u"А/н:на*"_s, u"Лев — Зодиакальный гороскоп: Стихия знака"_s);
    const QString name = QFileInfo(path).fileName();
    QCOMPARE(name, u"А_н_на_ — Лев — Зодиакальный гороскоп, Стихия знака.pdf"_s);
    QVERIFY(ui::proposedPdfPath(QString(), u"Персональный гороскоп"_s)
                .endsWith(u"Без имени — Персональный гороскоп.pdf"_s));
}

QTEST_MAIN(ReadingToolsTest)
#include "tst_readingtools.moc"
