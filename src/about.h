#pragma once

#include <QDialog>
#include <QLabel>

class QFrame;
class QPushButton;

namespace solvenna::ui {

// A label that looks and acts like a web link: highlight colour, underlined, a hand pointer, no hover
// effect. A click emits clicked(); then, when URL is set, the label opens it itself (URLType supplies
// the scheme). The about box leaves URL empty and opens its captions from clicked().
class TUrlLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString URL READ url WRITE setUrl)
    Q_PROPERTY(URLType URLType READ urlType WRITE setUrlType)
    Q_PROPERTY(bool SingleClick READ singleClick WRITE setSingleClick)

public:
    enum URLType {
        urlHTTP,
        urlMailTo,
        urlFTP,
        urlHTTPS,
        urlNews,
        urlNNTP,
        urlTelnet,
        urlGopher,
        urlWAIS,
        urlFile,
        urlProspero
    };
    Q_ENUM(URLType)

    explicit TUrlLabel(QWidget* parent = nullptr);
    explicit TUrlLabel(const QString& caption, QWidget* parent = nullptr);

    QString url() const { return url_; }
    void setUrl(const QString& url) { url_ = url; }
    URLType urlType() const { return urlType_; }
    void setUrlType(URLType type) { urlType_ = type; }
    // On (the default): a single click opens URL; off: a double click does.
    bool singleClick() const { return singleClick_; }
    void setSingleClick(bool on) { singleClick_ = on; }

    static QString schemePrefix(URLType type);
    // The address the label opens: the scheme's prefix and URL, unless URL already starts with that
    // prefix in any letter case; empty when URL is empty.
    static QString composedAddress(const QString& url, URLType type);

    // What the keyboard (Enter, Space) and assistive tools do: clicked(), then URL whatever SingleClick is.
    void activate();

Q_SIGNALS:
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void click(bool opensUrl);
    void openOwnUrl() const;
    void followPalette();

    QString url_;
    URLType urlType_ = urlHTTP;
    bool singleClick_ = true;
    bool pressed_ = false;
    bool followingPalette_ = false;
};

// The about box: product name and version, copyright, disclaimer, two web links and a picture that
// starts a mail message to the authors. Created once at start; modal; the user cannot resize it.
class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    // The controls are built when the box is first shown rather than at start-up, where nobody sees
    // them; this builds them at once.
    void ensureControls();
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void createControls();
    // Puts the controls at their design places, moving or growing one only where the font would
    // otherwise cut its text, and fixes the box's size to fit.
    void arrangeControls();
    void FormCanResize(const QSize& laidOutSize);

    void Url1Click();
    void Url2Click();
    void Image2Click();
    void XPButton1Click();

    QFrame* Panel1 = nullptr;
    QWidget* ProgramIcon = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Copyright = nullptr;
    QLabel* Comments = nullptr;
    TUrlLabel* Url1 = nullptr;
    QLabel* Label1 = nullptr;
    TUrlLabel* Url2 = nullptr;
    QWidget* Image2 = nullptr;
    QPushButton* XPButton1 = nullptr;
};

} // namespace solvenna::ui

using solvenna::ui::TAboutBox;
using solvenna::ui::TUrlLabel;

extern TAboutBox* AboutBox;
