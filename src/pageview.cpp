#include "pageview.h"

#include "core/htmltext.h"
#include "core/safefile.h"
#include "services.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QScrollBar>

#include <stdexcept>
#include <utility>

using namespace Qt::Literals::StringLiterals;

PageView::PageView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setTextInteractionFlags(Qt::TextBrowserInteraction | Qt::TextSelectableByKeyboard);
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

ReadPage readPage(const QString& path) {
    using namespace solvenna;
    const safefile::Contents file =
        safefile::read(path, PageLimits::kMaxBytes, safefile::Links::AnyRegularFile);
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
    if (const QString refusal = pageRefusal(html); !refusal.isEmpty()) return {false, refusalPage(refusal)};
    return {false, std::move(html)};
}

} // namespace

void PageView::Navigate(const QString& path) {
    ReadPage page = readPage(path);
    if (page.unreadable) throw std::runtime_error((u"Unable to open "_s + path).toStdString());
    const QUrl url = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    m_page = url.toLocalFile();
    // What was read here is what the viewer shows; it asks for it through loadResource().
    m_prepared = {url, std::move(page.html)};
    // The same page asked again is read again: the file may have changed.
    if (url == source())
        reload();
    else
        setSource(url, QTextDocument::HtmlResource);
}

void PageView::Quit() {
    m_page.clear();
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
        return readPage(name.toLocalFile()).html;
    }
    // Pictures and style sheets: only regular files under a size limit, so that an <img> naming
    // /dev/zero or a FIFO can neither block the window nor fill the memory.
    const QUrl url = name.isRelative() ? source().resolved(name) : name;
    if (url.scheme() == u"qrc") return QTextBrowser::loadResource(type, name);
    QByteArray bytes;
    if (url.isLocalFile()) {
        auto file = solvenna::safefile::read(url.toLocalFile(), solvenna::PageLimits::kMaxImageBytes,
                                             solvenna::safefile::Links::AnyRegularFile);
        if (file.status == solvenna::safefile::Status::Ok) bytes = std::move(file.bytes);
    }
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
