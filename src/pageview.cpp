#include "pageview.h"

#include "core/htmltext.h"
#include "services.h"

#include <QFile>
#include <QFileInfo>
#include <QScrollBar>

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
