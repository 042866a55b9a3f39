#pragma once

#include <QTextBrowser>

#include <optional>
#include <utility>

// What the main window needs of a page viewer: show a local page by its path, or show nothing.
class PageViewer {
public:
    virtual ~PageViewer() = default;
    // Shows the local HTML file at the path; throws std::runtime_error when it cannot be read.
    virtual void Navigate(const QString& path) = 0;
    // Leaves an empty pane.
    virtual void Quit() = 0;
};

// The page view: a text browser that reads pages in the encoding they declare, follows links to other
// local pages itself, hands web and mail links to the desktop, and ignores everything else, so a page
// can never start a program. A page that would crash the viewer or freeze the window (too big, too
// deeply nested, a picture that is a device or a FIFO) is replaced by a short page that says why.
class PageView : public QTextBrowser, public PageViewer {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);

    void Navigate(const QString& path) override;
    void Quit() override;

    // The file shown, or empty.
    QString currentPage() const;

    QVariant loadResource(int type, const QUrl& name) override;

    // What a click on a link does.
    enum class LinkAction { OpenPage, ScrollToAnchor, OpenOutside, Ignore };
    static LinkAction linkAction(const QUrl& link);

private:
    void followLink(const QUrl& link);

    QString m_page;                                     // empty after Quit
    std::optional<std::pair<QUrl, QString>> m_prepared; // the page Navigate read, until the viewer takes it
};
