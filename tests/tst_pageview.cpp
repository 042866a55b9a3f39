// The page view against hostile pages: each must be refused or shown within moments, never crash the
// program or hang the window.
#include "pageview.h"

#include "core/htmltext.h"
#include "ordinaryuser.h"
#include "pagecheck.h"
#include "testsupport.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace {
QByteArray repeated(const QByteArray& piece, int times) {
    QByteArray all;
    all.reserve(piece.size() * times);
    for (int i = 0; i < times; ++i)
        all += piece;
    return all;
}
const QString kRefused = u"Эту страницу нельзя показать"_s;
} // namespace

class PageViewTest : public QObject {
    Q_OBJECT
public:
    // Refused writes need an ordinary user.
    static void initMain() { testsupport::runAsOrdinaryUser(); }

private Q_SLOTS:
    void init();

    void hostilePage_isRefusedOnThePage_data();
    void hostilePage_isRefusedOnThePage();
    void pictureThatIsNoRegularFile_isLeftOut_data();
    void pictureThatIsNoRegularFile_isLeftOut();
    void pageThatIsAFifo_isRefusedWithoutWaiting();
    void linkToAHostilePage_showsTheRefusal();
    void everyShippedPage_isWellWithinTheLimits();
    void slowPage_isRefusedAtEveryZoom_data();
    void slowPage_isRefusedAtEveryZoom();
    void fileOutsideTheDataFolder_isNeverOpened_data();
    void fileOutsideTheDataFolder_isNeverOpened();
    void text_keepsAReadableMeasureInACentredColumn_data();
    void text_keepsAReadableMeasureInACentredColumn();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
};

void PageViewTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void PageViewTest::hostilePage_isRefusedOnThePage_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<QString>("shown"); // a text the view then holds
    QTest::newRow("an ordinary page")
        << QByteArray("<html><body><h1>Лев</h1><table><tr><td>Огонь</td></tr></table>") << u"Огонь"_s;
    QTest::newRow("5 000 nested tables") << repeated("<table><tr><td>", 5000) << kRefused;
    QTest::newRow("20 nested tables") << repeated("<table><tr><td>", 20) + "x" << kRefused;
    QTest::newRow("8 nested tables are fine") << repeated("<table><tr><td>", 8) + "inside" << u"inside"_s;
    QTest::newRow("100 000 nested <b>") << repeated("<b>", 100000) << kRefused;
    QTest::newRow("a 20 MB page of one word") << QByteArray(20 * 1024 * 1024, 'x') << kRefused;
    QTest::newRow("a 400 KB word") << QByteArray(400 * 1024, 'x') << kRefused;
    QTest::newRow("100 000 elements side by side") << repeated("<b>x</b> ", 100000) << kRefused;
    QTest::newRow("30 000 table rows")
        << "<table>" + repeated("<tr><td>x</td><td>y</td></tr>", 30000) << kRefused;
    // The viewer nests each item in the paragraph before it: 6 000 levels, seconds of parsing.
    QTest::newRow("unclosed items around paragraphs nest")
        << "<ul>" + repeated("<li><p>item", 3000) + "</ul>" << kRefused;
}

void PageViewTest::hostilePage_isRefusedOnThePage() {
    QFETCH(QByteArray, page);
    QFETCH(QString, shown);
    QVERIFY(testsupport::writeBytes(path(u"page.htm"_s), page));
    PageView view;
    view.setDataFolder(m_dir->path());
    view.resize(600, 400);
    view.show();
    view.Navigate(path(u"page.htm"_s));
    QApplication::processEvents();
    QVERIFY(view.document()->toPlainText().contains(shown));
    QCOMPARE(view.currentPage(), path(u"page.htm"_s));
}

void PageViewTest::pictureThatIsNoRegularFile_isLeftOut_data() {
    QTest::addColumn<QString>("picture");
    QTest::newRow("/dev/zero") << u"/dev/zero"_s;
    QTest::newRow("/dev/urandom") << u"/dev/urandom"_s;
    QTest::newRow("a FIFO") << u"fifo.png"_s;
    QTest::newRow("a link to /dev/zero") << u"zero.png"_s;
    QTest::newRow("a folder") << u"."_s;
    QTest::newRow("over the size limit") << u"huge.png"_s;
}

void PageViewTest::pictureThatIsNoRegularFile_isLeftOut() {
    QFETCH(QString, picture);
    QCOMPARE(mkfifo(QFile::encodeName(path(u"fifo.png"_s)).constData(), 0600), 0);
    QVERIFY(QFile::link(u"/dev/zero"_s, path(u"zero.png"_s)));
    QVERIFY(testsupport::writeBytes(path(u"huge.png"_s), {}));
    QVERIFY(QFile::resize(path(u"huge.png"_s), solvenna::PageLimits::kMaxImageBytes + 1));
    QImage dot(4, 4, QImage::Format_RGB32);
    dot.fill(Qt::red);
    QVERIFY(dot.save(path(u"dot.png"_s)));
    QVERIFY(testsupport::writeBytes(path(u"page.htm"_s), "<p>Before <img src=\"" + picture.toUtf8() +
                                                             "\"> <img src=\"dot.png\"> after</p>"));

    PageView view;
    view.setDataFolder(m_dir->path());
    view.show();
    view.Navigate(path(u"page.htm"_s));
    QApplication::processEvents();
    QVERIFY(view.document()->toPlainText().contains(u"after"_s));
    // The ordinary picture beside it is there; the refused one is an empty stand-in.
    const auto image = [&](const QString& src) {
        return view.loadResource(QTextDocument::ImageResource, QUrl(src)).value<QImage>();
    };
    QCOMPARE(image(u"dot.png"_s).size(), QSize(4, 4));
    QCOMPARE(image(u"dot.png"_s).pixelColor(1, 1), QColor(Qt::red));
    QCOMPARE(image(picture).size(), QSize(1, 1));
    QCOMPARE(image(picture).pixelColor(0, 0).alpha(), 0);
}

void PageViewTest::pageThatIsAFifo_isRefusedWithoutWaiting() {
    QCOMPARE(mkfifo(QFile::encodeName(path(u"page.htm"_s)).constData(), 0600), 0);
    PageView view;
    view.setDataFolder(m_dir->path());
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, view.Navigate(path(u"page.htm"_s)));
    QVERIFY(view.currentPage().isEmpty());
}

void PageViewTest::linkToAHostilePage_showsTheRefusal() {
    QVERIFY(testsupport::writeBytes(path(u"deep.htm"_s), repeated("<div>", 5000)));
    QVERIFY(testsupport::writeBytes(path(u"start.htm"_s), "<p><a href=\"deep.htm\">deeper</a></p>"));
    PageView view;
    view.setDataFolder(m_dir->path());
    view.show();
    view.Navigate(path(u"start.htm"_s));
    QApplication::processEvents();
    Q_EMIT view.anchorClicked(QUrl(u"deep.htm"_s));
    QApplication::processEvents();
    QCOMPARE(view.currentPage(), path(u"deep.htm"_s));
    QVERIFY(view.document()->toPlainText().contains(kRefused));
    QVERIFY(view.document()->toPlainText().contains(u"глубже 100 уровней"_s));
}

void PageViewTest::everyShippedPage_isWellWithinTheLimits() {
    int pages = 0;
    for (QDirIterator it(testsupport::dataFolder(), {u"*.htm"_s}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();) {
        QFile file(it.next());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.size() * 10 < solvenna::PageLimits::kMaxBytes);
        const solvenna::PageShape shape = solvenna::measurePage(solvenna::decodeHtml(bytes));
        QVERIFY2(shape.nesting * 10 < solvenna::PageLimits::kMaxNesting, qPrintable(file.fileName()));
        QVERIFY(shape.elements * 10 < solvenna::PageLimits::kMaxElements);
        QVERIFY(shape.tableCost * 10 < solvenna::PageLimits::kMaxTableCost);
        ++pages;
    }
    // the horoscope pages, the compatibility fragments, the guide and the lunar calendar's texts
    QCOMPARE(pages, 218 + 25 + 1 + 58);
}

// Pages that the layout would take seconds to minutes over, at some zoom step, are refused; what is shown
// stays within the bounds the check measures.
void PageViewTest::slowPage_isRefusedAtEveryZoom_data() {
    QTest::addColumn<QByteArray>("page");
    QTest::addColumn<int>("zoom");
    QTest::addColumn<bool>("refused");
    const QByteArray tables = repeated("<table><tr><td>", 30) + "x";
    const auto table = [](const QByteArray& attribute) {
        return "<table " + attribute + "><tr><td " + attribute + ">x</td><td>y</td></tr></table>";
    };
    QTest::newRow("a ' inside an unquoted value, then 30 tables") << "<p title=a'b>" + tables << 100 << true;
    QTest::newRow("a \" inside an unquoted value, then 30 tables")
        << "<p title=a\"b>" + tables << 100 << true;
    QTest::newRow("an escaped ' inside a quoted value, then 30 tables")
        << "<p title='a\\'b'>" + tables << 100 << true;
    QTest::newRow("30 tables deep in capitals") << repeated("<TABLE><TR><TD>", 30) << 100 << true;
    QTest::newRow("tables inside script text") << "<script>" + tables + "</script>" << 100 << true;
    QTest::newRow("cellpadding 100 000 000") << table("cellpadding=\"100000000\"") << 100 << true;
    QTest::newRow("cellpadding 10 000 000, unquoted") << table("cellpadding=10000000") << 100 << true;
    QTest::newRow("cellspacing 100 000 000") << table("cellspacing='100000000'") << 100 << true;
    QTest::newRow("border 100 000 000") << table("border=\"100000000\"") << 100 << true;
    QTest::newRow("width 100 000 000") << table("width=\"100000000\"") << 100 << true;
    QTest::newRow("colspan 100 000 000") << table("colspan=\"100000000\"") << 100 << true;
    QTest::newRow("colspan written with entities")
        << table("colspan=\"&#49;&#48;&#48;&#48;&#48;\"") << 100 << true;
    QTest::newRow("rowspan 100 000 000") << table("rowspan=\"100000000\"") << 100 << true;
    QTest::newRow("padding 100 000 000 in a style")
        << QByteArray("<p style=\"padding: 100000000px; margin-left: 100000000px\">x</p>") << 100 << true;
    for (const int zoom : {50, 67, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300})
        QTest::addRow("12 words of 19 999 at %d %%", zoom)
            << (QByteArray(19999, 'w') + ' ').repeated(12) << zoom << true;
    QTest::newRow("words of the longest length at 300 %")
        << (QByteArray(solvenna::ui::LayoutLimits::kMaxWordLength, 'w') + ' ').repeated(100) << 300 << false;
}

void PageViewTest::slowPage_isRefusedAtEveryZoom() {
    QFETCH(QByteArray, page);
    QFETCH(int, zoom);
    QFETCH(bool, refused);
    QVERIFY(testsupport::writeBytes(path(u"page.htm"_s), page));
    PageView view;
    view.setDataFolder(m_dir->path());
    view.resize(600, 400);
    view.setZoom(zoom);
    view.Navigate(path(u"page.htm"_s));
    QCOMPARE(view.document()->toPlainText().contains(kRefused), refused);
    using L = solvenna::ui::LayoutLimits;
    const solvenna::ui::LayoutShape shape = solvenna::ui::measureLayout(*view.document());
    QVERIFY(shape.tableNesting <= L::kMaxTableNesting && shape.tableCost <= L::kMaxTableCost);
    QVERIFY(shape.longestWord <= L::kMaxWordLength && shape.text <= L::kMaxText);
    QVERIFY(shape.largestLength <= L::kMaxLength && shape.largestFont <= L::kMaxFontPoints * zoom / 100);
}

namespace {
// Counts the times a file is opened, by anyone, from now on.
class OpenWatch {
public:
    explicit OpenWatch(const QString& path)
        : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)),
          m_watch(inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_OPEN)) {}
    ~OpenWatch() { close(m_fd); }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;
    bool valid() const { return m_fd >= 0 && m_watch >= 0; }
    int opens() const {
        alignas(inotify_event) char buffer[4096];
        int count = 0;
        for (ssize_t got; (got = read(m_fd, buffer, sizeof buffer)) > 0;)
            for (char* at = buffer; at < buffer + got;
                 at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
                count += (reinterpret_cast<inotify_event*>(at)->mask & IN_OPEN) != 0;
        return count;
    }

private:
    int m_fd;
    int m_watch;
};
} // namespace

// Pages, style sheets and pictures come from the data folder only: what lies outside it, by a link of the
// page, a path or a symbolic link, is never opened, and the view shows none of it.
void PageViewTest::fileOutsideTheDataFolder_isNeverOpened_data() {
    QTest::addColumn<QString>("start"); // the page first shown, in the data folder
    QTest::addColumn<QString>("link");  // then followed; empty: none
    QTest::newRow("a link up and out") << u"start.htm"_s << u"../../../outside/secret.htm"_s;
    QTest::newRow("an absolute link") << u"start.htm"_s << u"OUTSIDE/secret.htm"_s;
    QTest::newRow("a link to a page that is a symbolic link out") << u"start.htm"_s << u"linked.htm"_s;
    QTest::newRow("a page that is a symbolic link out") << u"linked.htm"_s << QString();
    QTest::newRow("a style sheet and a picture outside") << u"styled.htm"_s << QString();
}

void PageViewTest::fileOutsideTheDataFolder_isNeverOpened() {
    QFETCH(QString, start);
    QFETCH(QString, link);
    const QString data = path(u"program/Data/"_s);
    const QString outside = path(u"outside/"_s);
    link.replace(u"OUTSIDE/"_s, QUrl::fromLocalFile(outside).toString());
    QVERIFY(testsupport::writeBytes(outside + u"secret.htm"_s, "<p>secret</p>"));
    QVERIFY(testsupport::writeBytes(outside + u"secret.css"_s, "p { color: #123456; }"));
    QImage dot(4, 4, QImage::Format_RGB32);
    dot.fill(Qt::red);
    QVERIFY(dot.save(outside + u"secret.png"_s));
    QVERIFY(testsupport::writeBytes(data + u"Sub/start.htm"_s,
                                    "<p>start <a href=\"" + link.toUtf8() + "\">further</a></p>"));
    QVERIFY(QFile::link(outside + u"secret.htm"_s, data + u"Sub/linked.htm"_s));
    QVERIFY(
        testsupport::writeBytes(data + u"Sub/styled.htm"_s,
                                "<html><head><link rel=\"stylesheet\" href=\"../../../outside/secret.css\">"
                                "</head><body><p>styled <img src=\"" +
                                    QFile::encodeName(outside) + "secret.png\"></p></body></html>"));
    OpenWatch page(outside + u"secret.htm"_s), styleSheet(outside + u"secret.css"_s),
        picture(outside + u"secret.png"_s);
    QVERIFY(page.valid() && styleSheet.valid() && picture.valid());

    PageView view;
    view.setDataFolder(data);
    view.show();
    try {
        view.Navigate(data + u"Sub/"_s + start);
    } catch (const std::runtime_error&) {
        QVERIFY(view.currentPage().isEmpty()); // refused like a missing page
    }
    QApplication::processEvents();
    if (!link.isEmpty()) {
        Q_EMIT view.anchorClicked(QUrl(link));
        QApplication::processEvents();
        QCOMPARE(view.currentPage(), data + u"Sub/start.htm"_s); // like a link to a missing page
    }
    QVERIFY(!view.document()->toPlainText().contains(u"secret"_s));
    if (start == u"styled.htm") {
        QTextCursor cursor(view.document());
        cursor.movePosition(QTextCursor::NextCharacter);
        QVERIFY(cursor.charFormat().foreground().color() != QColor(0x12, 0x34, 0x56));
    }
    QCOMPARE(page.opens() + styleSheet.opens() + picture.opens(), 0);
}

void PageViewTest::text_keepsAReadableMeasureInACentredColumn_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("zoom");
    QTest::newRow("narrow: the page's own margins") << 400 << 100;
    QTest::newRow("maximized") << 1900 << 100;
    QTest::newRow("maximized at 200 %") << 1900 << 200;
}

void PageViewTest::text_keepsAReadableMeasureInACentredColumn() {
    QFETCH(int, width);
    QFETCH(int, zoom);
    const QString page = testsupport::dataFolder() + u"/Zodiac/lion/element.htm"_s;
    PageView view;
    view.setDataFolder(testsupport::dataFolder());
    view.setZoom(zoom);
    view.resize(width, 600);
    view.show();
    view.Navigate(page);
    QApplication::processEvents();
    const QTextFrameFormat frame = view.document()->rootFrame()->frameFormat();
    QCOMPARE(frame.leftMargin(), frame.rightMargin());
    int longest = 0;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next())
        for (int i = 0; i < block.layout()->lineCount(); ++i)
            longest = std::max(longest, block.layout()->lineAt(i).textLength());
    QVERIFY2(longest <= PageView::kMeasure + 10, qPrintable(QString::number(longest)));
    // A narrow view keeps the margins the page asked for.
    if (width < 500) QCOMPARE(frame.leftMargin(), view.document()->documentMargin());
}

QTEST_MAIN(PageViewTest)
#include "tst_pageview.moc"
