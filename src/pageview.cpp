#include "pageview.h"

#include "colours.h"
#include "core/htmltext.h"
#include "core/pagenotes.h"
#include "core/safefile.h"
#include "pagecheck.h"
#include "services.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextFrame>
#include <QTextTable>
#include <QWheelEvent>

#include <cmath>
#include <stdexcept>
#include <utility>

using namespace Qt::Literals::StringLiterals;

PageView::PageView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // Selection by mouse and links by keyboard, but no keyboard selection: that would put a blinking text
    // cursor into a read-only page. The arrow and page keys scroll instead.
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    // Words move whole to the next line; only a word longer than the line is broken.
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setAccessibleName(u"Страница гороскопа"_s);
    connect(this, &QTextBrowser::anchorClicked, this, &PageView::followLink);
}

namespace {

// A page ready for the viewer: the file's text, or a short page that says why it is not shown. Read
// without blocking and with a size limit, so a FIFO, a device or a huge file never reaches the viewer.
struct ReadPage {
    bool unreadable = false;
    QString html;
};

// A file of the data folder under the size limit; nothing for anything else, which is not opened.
QByteArray readInside(const QUrl& url, const QString& dataFolder) {
    using namespace solvenna;
    if (!url.isLocalFile()) return {};
    const QString inside = safefile::fileInside(url.toLocalFile(), dataFolder);
    if (inside.isEmpty()) return {};
    auto file = safefile::read(inside, PageLimits::kMaxImageBytes, safefile::Links::AnyRegularFile);
    return file.status == safefile::Status::Ok ? std::move(file.bytes) : QByteArray();
}

// Why the page must not be shown, judged with the style sheets it links to as the view reads them.
QString refusalOf(const QString& html, const QUrl& base, const QString& dataFolder) {
    return solvenna::ui::pageRefusal(html, base, [&dataFolder](const QUrl& url) {
        return QString::fromUtf8(readInside(url, dataFolder));
    });
}

ReadPage readPage(const QString& path, const QString& dataFolder, const PageView::PageNote& note) {
    using namespace solvenna;
    // Outside the data folder counts as missing, and is not opened.
    const QString inside = safefile::fileInside(path, dataFolder);
    if (inside.isEmpty()) return {true, refusalPage(pageFileRefusal(false))};
    const safefile::Contents file =
        safefile::read(inside, PageLimits::kMaxBytes, safefile::Links::AnyRegularFile);
    switch (file.status) {
    case safefile::Status::Ok:
        break;
    case safefile::Status::TooLarge:
        return {false, refusalPage(pageFileRefusal(true))};
    case safefile::Status::Missing:
    case safefile::Status::Unreadable:
        return {true, refusalPage(pageFileRefusal(false))};
    }
    QString html = decodeHtml(file.bytes);
    // The note is part of the page, held to the same limits.
    if (note) html = withNote(html, note(inside));
    const QString refusal = refusalOf(html, QUrl::fromLocalFile(inside), dataFolder);
    if (!refusal.isEmpty()) return {false, refusalPage(refusal)};
    return {false, std::move(html)};
}

} // namespace

void PageView::Navigate(const QString& path) {
    ReadPage page = readPage(path, m_dataFolder, m_pageNote);
    if (page.unreadable) throw std::runtime_error((u"Unable to open "_s + path).toStdString());
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    m_page = url.toLocalFile();
    m_generatedHtml.clear();
    m_generatedBase.clear();
    // What was read here is what the viewer shows; it asks for it through loadResource().
    m_prepared = {url, std::move(page.html)};
    // The same page asked again is read again: the file may have changed.
    if (url == source())
        reload();
    else
        setSource(url, QTextDocument::HtmlResource);
    clearHistory();
}

// The section bar and the menus say which page is shown; a history of the view's own would lead to pages
// they no longer name.
void PageView::backward() {}
void PageView::forward() {}
void PageView::home() {}

bool PageView::event(QEvent* event) {
    // Select all and copy act on the page's selection before a window shortcut of the same key; a view
    // that cannot be edited claims no key by itself.
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::SelectAll) || key->matches(QKeySequence::Copy)) {
            event->accept();
            return true;
        }
    }
    return QTextBrowser::event(event);
}

void PageView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool historyKey =
        (modifiers == Qt::NoModifier && event->key() == Qt::Key_Backspace) ||
        (modifiers == Qt::AltModifier &&
         (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right || event->key() == Qt::Key_Home)) ||
        event->key() == Qt::Key_Back || event->key() == Qt::Key_Forward;
    if (historyKey) {
        event->ignore();
        return;
    }
    // Without a text cursor these would do nothing; they go to the page's top and end, as Home and End do.
    if (modifiers == Qt::ControlModifier && (event->key() == Qt::Key_Home || event->key() == Qt::Key_End)) {
        verticalScrollBar()->triggerAction(event->key() == Qt::Key_Home ? QAbstractSlider::SliderToMinimum
                                                                        : QAbstractSlider::SliderToMaximum);
        event->accept();
        return;
    }
    QTextBrowser::keyPressEvent(event);
}

void PageView::showGenerated(const QString& html, const QString& baseFolder) {
    m_generatedBase = QUrl::fromLocalFile(QDir(baseFolder).absolutePath() + u'/');
    // Put together from data files, it is held to the same limits as any page.
    const QString refusal = refusalOf(html, m_generatedBase, m_dataFolder);
    m_generatedHtml = refusal.isEmpty() ? html : solvenna::refusalPage(refusal);
    m_page = m_generatedBase.toLocalFile() + u"generated.htm"_s;
    setSource(QUrl());
    clearHistory();
    document()->setBaseUrl(m_generatedBase);
    setHtml(m_generatedHtml);
    applyLook();
    Q_EMIT sourceChanged(QUrl());
}

void PageView::Quit() {
    m_page.clear();
    m_generatedHtml.clear();
    m_generatedBase.clear();
    m_prepared.reset();
    clear();
    clearHistory();
}

QString PageView::currentPage() const {
    return m_page;
}

QVariant PageView::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::HtmlResource && name.isLocalFile()) {
        if (m_prepared && m_prepared->first == name) return std::exchange(m_prepared, std::nullopt)->second;
        return readPage(name.toLocalFile(), m_dataFolder, m_pageNote).html;
    }
    // Pictures and style sheets: only regular files under a size limit, so that an <img> naming
    // /dev/zero or a FIFO can neither block the window nor fill the memory.
    // A generated page's style sheet and pictures lie in its base folder.
    const QUrl url =
        name.isRelative() ? (showsGenerated() ? m_generatedBase : source()).resolved(name) : name;
    if (url.scheme() == u"qrc") return QTextBrowser::loadResource(type, name);
    const QByteArray bytes = readInside(url, m_dataFolder);
    if (type == QTextDocument::StyleSheetResource) return QString::fromUtf8(bytes);
    if (type != QTextDocument::ImageResource) return {};
    // Always a picture: given none, the text layout loads the picture's path by itself, bypassing all
    // of the checks above.
    QImage image;
    if (!bytes.isEmpty()) image.loadFromData(bytes);
    if (image.isNull()) {
        image = QImage(1, 1, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
    }
    return image;
}

PageView::LinkAction PageView::linkAction(const QUrl& link) {
    const QString scheme = link.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto") return LinkAction::OpenOutside;
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) return LinkAction::ScrollToAnchor;
    if (scheme == u"solvenna") return LinkAction::Program;
    if (scheme.isEmpty() || scheme == u"file") {
        const QString suffix = QFileInfo(link.path()).suffix().toLower();
        if (suffix == u"htm" || suffix == u"html") return LinkAction::OpenPage;
    }
    return LinkAction::Ignore;
}

void PageView::followLink(const QUrl& link) {
    switch (linkAction(link)) {
    case LinkAction::OpenOutside:
        solvenna::ui::openUrl(link.toString());
        break;
    case LinkAction::ScrollToAnchor:
        scrollToAnchor(link.fragment());
        break;
    case LinkAction::OpenPage: {
        const QUrl target = (showsGenerated() ? m_generatedBase : source()).resolved(link);
        // A page outside the data folder is as good as missing: the view stays where it was.
        if (target.isLocalFile() &&
            !solvenna::safefile::fileInside(target.toLocalFile(), m_dataFolder).isEmpty()) {
            m_page = target.toLocalFile();
            m_generatedHtml.clear();
            m_generatedBase.clear();
            setSource(target);
            clearHistory();
        }
        break;
    }
    case LinkAction::Program:
        // Only a page the program made may ask it for something; a file of the data folder may not.
        if (showsGenerated()) Q_EMIT programLinkActivated(link);
        break;
    case LinkAction::Ignore:
        break;
    }
}

void PageView::setZoom(int percent) {
    if (percent == m_zoom) return;
    m_zoom = percent;
    reshow();
}

void PageView::setNightMode(bool on) {
    if (on == m_nightMode) return;
    m_nightMode = on;
    // The margins beyond the page and a page without colours of its own take the sheet from the palette.
    if (on) {
        QPalette sheet = palette();
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            sheet.setColor(group, QPalette::Base, solvenna::ui::nightSheet());
            // The pages' body text colour, as night mode carries it over.
            sheet.setColor(group, QPalette::Text, solvenna::ui::nightText(QColor(0x2b, 0x2b, 0x2b)));
        }
        setPalette(sheet);
    } else {
        setPalette(QPalette()); // the desktop's again
    }
    reshow();
}

void PageView::reshow() {
    if (showsGenerated())
        showGenerated(QString(m_generatedHtml), m_generatedBase.toLocalFile());
    else if (!source().isEmpty())
        reload();
    else
        applyLook();
}

void PageView::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    QTextBrowser::doSetSource(name, type);
    applyLook();
}

namespace {

// A frame's background and borders, and a table's cells, on the night sheet; then the frames within.
void nightFrame(QTextFrame* frame) {
    using namespace solvenna::ui;
    QTextFrameFormat format = frame->frameFormat();
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        format.setBackground(nightBackground(format.background().color()));
    if (format.hasProperty(QTextFormat::FrameBorderBrush))
        format.setBorderBrush(nightText(format.borderBrush().color()));
    auto* table = qobject_cast<QTextTable*>(frame);
    if (format != frame->frameFormat()) {
        if (table)
            table->setFormat(format.toTableFormat());
        else
            frame->setFrameFormat(format);
    }
    if (table) {
        for (int row = 0; row < table->rows(); ++row)
            for (int column = 0; column < table->columns(); ++column) {
                QTextTableCell cell = table->cellAt(row, column);
                // A spanning cell is met once, at its first row and column.
                if (cell.row() != row || cell.column() != column) continue;
                QTextCharFormat cellFormat = cell.format();
                if (!cellFormat.hasProperty(QTextFormat::BackgroundBrush)) continue;
                cellFormat.setBackground(nightBackground(cellFormat.background().color()));
                cell.setFormat(cellFormat);
            }
    }
    for (QTextFrame* child : frame->childFrames())
        nightFrame(child);
}

// A fragment's colours on the night sheet; false when it has none of its own (it takes the palette's text,
// which is the night text).
bool toNightColours(QTextCharFormat& format) {
    using namespace solvenna::ui;
    const bool foreground = format.hasProperty(QTextFormat::ForegroundBrush);
    const bool background = format.hasProperty(QTextFormat::BackgroundBrush);
    if (foreground) format.setForeground(nightText(format.foreground().color()));
    if (background) format.setBackground(nightBackground(format.background().color()));
    return foreground || background;
}

} // namespace

void PageView::applyLook() {
    const qreal factor = m_zoom / 100.0;
    const qreal base =
        document()->defaultFont().pointSizeF() > 0 ? document()->defaultFont().pointSizeF() : 10;
    // One pass over the page: each fragment's size scaled by the zoom and, at night, its colours and its
    // paragraph's background moved onto the dark sheet.
    struct Run {
        int from, length;
        QTextCharFormat format;
    };
    QList<Run> runs;
    QList<std::pair<int, QTextBlockFormat>> blocks;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (QTextBlockFormat format = block.blockFormat();
            m_nightMode && format.hasProperty(QTextFormat::BackgroundBrush)) {
            format.setBackground(solvenna::ui::nightBackground(format.background().color()));
            blocks.append({block.position(), format});
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            const bool recoloured = m_nightMode && toNightColours(format);
            // A heading's size is an adjustment of the default font, which outweighs its own size in
            // points; the size it is shown at becomes its own, so that it scales as the text does.
            const bool adjusted = format.hasProperty(QTextFormat::FontSizeAdjustment);
            if (factor != 1 || adjusted) {
                const qreal size = adjusted || format.fontPointSize() > 0 ? format.font().pointSizeF() : base;
                format.clearProperty(QTextFormat::FontSizeAdjustment);
                format.setFontPointSize(size * factor);
            } else if (!recoloured) {
                continue;
            }
            runs.append({fragment.position(), fragment.length(), format});
        }
    }
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (const Run& run : runs) {
        cursor.setPosition(run.from);
        cursor.setPosition(run.from + run.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(run.format);
    }
    for (const auto& [position, format] : blocks) {
        cursor.setPosition(position);
        cursor.setBlockFormat(format);
    }
    if (m_nightMode) {
        QTextFrame* root = document()->rootFrame();
        for (QTextFrame* child : root->childFrames())
            nightFrame(child);
        QTextFrameFormat rootFormat = root->frameFormat();
        rootFormat.setBackground(solvenna::ui::nightSheet());
        root->setFrameFormat(rootFormat);
    }
    cursor.endEditBlock();
    document()->setModified(false);
    keepMeasure();
}

void PageView::keepMeasure() {
    QTextFrame* root = document()->rootFrame();
    QTextFrameFormat format = root->frameFormat();
    // The margin the page asked for, kept in the document beside the one shown.
    constexpr int kPageMargin = QTextFormat::UserProperty + 1;
    if (!format.hasProperty(kPageMargin))
        format.setProperty(kPageMargin, std::max(format.leftMargin(), format.rightMargin()));
    const qreal pageMargin = format.doubleProperty(kPageMargin);
    // The measure is taken in the text's own font: the first paragraph that is no heading.
    QFont text = document()->defaultFont();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 && block.length() > 1) {
            text = block.begin().fragment().charFormat().font();
            break;
        }
    }
    // Characters as they come in Russian prose, spaces and punctuation included.
    static const QString sample = u"Съешь же ещё этих мягких французских булок, да выпей чаю."_s;
    const qreal column = QFontMetricsF(text).horizontalAdvance(sample) / sample.size() * kMeasure;
    const qreal margin = std::max(pageMargin, (viewport()->width() - column) / 2);
    if (format == root->frameFormat() && std::abs(format.leftMargin() - margin) < 0.5 &&
        std::abs(format.rightMargin() - margin) < 0.5)
        return;
    format.setLeftMargin(margin);
    format.setRightMargin(margin);
    root->setFrameFormat(format);
    document()->setModified(false);
}

void PageView::resizeEvent(QResizeEvent* event) {
    QTextBrowser::resizeEvent(event);
    keepMeasure();
}

void PageView::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    if (!m_contextActions.isEmpty()) {
        menu->addSeparator();
        menu->addActions(m_contextActions);
    }
    menu->exec(event->globalPos());
}

void PageView::wheelEvent(QWheelEvent* event) {
    if (event->modifiers() & Qt::ControlModifier) {
        const int delta = event->angleDelta().y();
        if (delta != 0) Q_EMIT zoomRequested(delta > 0 ? 1 : -1);
        event->accept();
        return;
    }
    QTextBrowser::wheelEvent(event);
}
