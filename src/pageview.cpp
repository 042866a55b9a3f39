#include "pageview.h"

#include "core/htmltext.h"
#include "services.h"

#include <QContextMenuEvent>
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
    // The same page asked again is read again: the file may have changed.
    if (url == source())
        reload();
    else
        setSource(url, QTextDocument::HtmlResource);
}

void PageView::Quit() {
    m_page.clear();
    clear();
    clearHistory();
}

QString PageView::currentPage() const {
    return m_page;
}

QVariant PageView::loadResource(int type, const QUrl& name) {
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
        const QUrl target = source().resolved(link);
        if (target.isLocalFile() && QFileInfo(target.toLocalFile()).isFile()) {
            m_page = target.toLocalFile();
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
    if (!source().isEmpty())
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
