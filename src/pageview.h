#pragma once

#include <QTextBrowser>

#include <functional>
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
// Pages, style sheets and pictures are read from the data folder only: a path or a symbolic link that
// leads out of it counts as missing, and what it names is never opened.
class PageView : public QTextBrowser, public PageViewer {
    Q_OBJECT
public:
    explicit PageView(QWidget* parent = nullptr);

    // A note put under the heading of a page read from a file (the current person's boundary notes): the
    // note for the page's path, or empty for none. Asked each time a page file is read.
    using PageNote = std::function<QString(const QString& pagePath)>;
    void setPageNote(PageNote note) { m_pageNote = std::move(note); }

    // The folder every file the view reads must lie in; with none set, the view reads nothing.
    void setDataFolder(const QString& folder) { m_dataFolder = folder; }
    const QString& dataFolder() const { return m_dataFolder; }

    void Navigate(const QString& path) override;
    void Quit() override;

    // Shows a page the program put together, as if it were a file of `baseFolder` (ending in a delimiter):
    // its style sheet, pictures and links are read from there.
    void showGenerated(const QString& html, const QString& baseFolder);
    bool showsGenerated() const { return !m_generatedHtml.isEmpty(); }
    const QString& generatedHtml() const { return m_generatedHtml; }
    QUrl generatedBase() const { return m_generatedBase; }

    // The file shown, or empty; a generated page counts as one of its base folder's.
    QString currentPage() const;

    QVariant loadResource(int type, const QUrl& name) override;

    // The longest line of text, in average characters of the page's text.
    static constexpr int kMeasure = 80;

    // The zoom in per cent of the pages' own sizes; applies to every page shown from now on.
    void setZoom(int percent);
    int zoom() const { return m_zoom; }
    // Night mode: light text on a dark sheet, the pages' own colours carried over to it; applies to the
    // page shown and every page shown from now on. Only the view changes: printing reads the pages anew.
    void setNightMode(bool on);
    bool nightMode() const { return m_nightMode; }
    // Commands added below the standard ones in the view's context menu.
    void setContextActions(const QList<QAction*>& actions) { m_contextActions = actions; }
    // The view keeps no history: these do nothing.
    void backward() override;
    void forward() override;
    void home() override;

    // What a click on a link does.
    // Program: a "solvenna:" link of a page the program made, which the program follows itself.
    enum class LinkAction { OpenPage, ScrollToAnchor, OpenOutside, Program, Ignore };
    static LinkAction linkAction(const QUrl& link);

Q_SIGNALS:
    // Ctrl and the wheel: +1 larger, -1 smaller.
    void zoomRequested(int direction);
    // A "solvenna:" link followed on a page the program made.
    void programLinkActivated(const QUrl& link);

protected:
    bool event(QEvent* event) override;
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void followLink(const QUrl& link);
    // Shows the page shown anew, so that its own sizes and colours come back for the zoom and night mode.
    void reshow();
    // The zoom and night mode, applied to the document as it was read.
    void applyLook();
    // Narrows the text to a measure people read comfortably, centred, however wide the view.
    void keepMeasure();

    QString m_dataFolder;
    QString m_page;                                     // empty after Quit
    std::optional<std::pair<QUrl, QString>> m_prepared; // the page Navigate read, until the viewer takes it
    QString m_generatedHtml;
    QUrl m_generatedBase;
    int m_zoom = 100;
    bool m_nightMode = false;
    QList<QAction*> m_contextActions;
    PageNote m_pageNote;
};
