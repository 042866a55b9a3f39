#include "pageview.h"

#include "core/htmltext.h"
#include "services.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QWheelEvent>

#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

PageView::PageView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
    setAccessibleName(u"Страница гороскопа"_s);
    connect(this, &QTextBrowser::anchorClicked, this, &PageView::followLink);
}

void PageView::Navigate(const QString& path) {
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        throw std::runtime_error((u"Unable to open "_s + path).toStdString());
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    m_page = url.toLocalFile();
    m_generatedHtml.clear();
    m_generatedBase.clear();
    // The same page asked again is read again: the file may have changed.
    if (url == source())
        reload();
    else
        setSource(url, QTextDocument::HtmlResource);
}

void PageView::showGenerated(const QString& html, const QString& baseFolder) {
    m_generatedBase = QUrl::fromLocalFile(QDir(baseFolder).absolutePath() + u'/');
    m_generatedHtml = html;
    m_page = m_generatedBase.toLocalFile() + u"generated.htm"_s;
    setSource(QUrl());
    clearHistory();
    document()->setBaseUrl(m_generatedBase);
    setHtml(html);
    applyZoom();
    Q_EMIT sourceChanged(QUrl());
}

void PageView::Quit() {
    m_page.clear();
    m_generatedHtml.clear();
    m_generatedBase.clear();
    clear();
    clearHistory();
}

QString PageView::currentPage() const {
    return m_page;
}

QVariant PageView::loadResource(int type, const QUrl& name) {
    if (showsGenerated() && name.isRelative()) {
        // What a generated page names is read from its base folder: regular files of a sane size only.
        const QFileInfo info(m_generatedBase.resolved(name).toLocalFile());
        constexpr qint64 kLargest = 2 * 1024 * 1024;
        if (!info.isFile() || info.size() > kLargest) return {};
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly)) return {};
        const QByteArray bytes = file.read(kLargest);
        if (type == QTextDocument::HtmlResource) return solvenna::decodeHtml(bytes);
        if (type == QTextDocument::StyleSheetResource) return QString::fromUtf8(bytes);
        return bytes;
    }
    if (type == QTextDocument::HtmlResource && name.isLocalFile()) {
        QFile file(name.toLocalFile());
        if (!file.open(QIODevice::ReadOnly)) return {};
        return solvenna::decodeHtml(file.readAll());
    }
    return QTextBrowser::loadResource(type, name);
}

PageView::LinkAction PageView::linkAction(const QUrl& link) {
    const QString scheme = link.scheme().toLower();
    if (scheme == u"http" || scheme == u"https" || scheme == u"mailto") return LinkAction::OpenOutside;
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) return LinkAction::ScrollToAnchor;
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
        if (target.isLocalFile() && QFileInfo(target.toLocalFile()).isFile()) {
            m_page = target.toLocalFile();
            m_generatedHtml.clear();
            m_generatedBase.clear();
            setSource(target);
        }
        break;
    }
    case LinkAction::Ignore:
        break;
    }
}

void PageView::setZoom(int percent) {
    if (percent == m_zoom) return;
    m_zoom = percent;
    // The page's own sizes come back with a fresh reading of it; the zoom is applied to those.
    if (showsGenerated())
        showGenerated(QString(m_generatedHtml), m_generatedBase.toLocalFile());
    else if (!source().isEmpty())
        reload();
    else
        applyZoom();
}

void PageView::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    QTextBrowser::doSetSource(name, type);
    applyZoom();
}

void PageView::applyZoom() {
    if (m_zoom == 100) return;
    const qreal factor = m_zoom / 100.0;
    const qreal base =
        document()->defaultFont().pointSizeF() > 0 ? document()->defaultFont().pointSizeF() : 10;
    struct Run {
        int from, length;
        qreal size;
    };
    QList<Run> runs;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const qreal size = fragment.charFormat().fontPointSize();
            runs.append({fragment.position(), fragment.length(), (size > 0 ? size : base) * factor});
        }
    }
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (const Run& run : runs) {
        cursor.setPosition(run.from);
        cursor.setPosition(run.from + run.length, QTextCursor::KeepAnchor);
        QTextCharFormat size;
        size.setFontPointSize(run.size);
        cursor.mergeCharFormat(size);
    }
    cursor.endEditBlock();
    document()->setModified(false);
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
