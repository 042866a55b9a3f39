#include "about.h"

#include "colours.h"
#include "core/caption.h"
#include "icons.h"
#include "services.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::ui {

namespace {

// The project has no mail box of its own yet; this reserved address stands in until it has.
const QString kAuthorMail = u"solvenna@example.org"_s;

// Design geometry, in the box's client area and, inside the panel, in the panel's own coordinates.
// 476 x 270 outside on a desktop with 4-pixel borders and a 23-pixel caption; Qt sizes the client area.
constexpr QSize kClientSize{468, 243};
constexpr QRect kPanel{8, 8, 441, 185};
constexpr QRect kProgramIcon{16, 8, 16, 16};
constexpr QPoint kProductName{16, 32};
constexpr QPoint kCopyright{16, 48};
constexpr QRect kComments{8, 64, 306, 78};
constexpr QPoint kUrl1{227, 127};
constexpr QPoint kLabel1{8, 148};
constexpr QPoint kUrl2{200, 162};
constexpr QRect kImage2{323, 24, 104, 97};
constexpr QRect kButton{177, 208, 113, 25};
// Space kept between text and the panel's right edge, and under the last line.
constexpr int kPanelTextMargin = 8;
constexpr int kPanelBottomMargin = 9;
constexpr int kImageGap = 9;
// The line height of the font the design was drawn with.
constexpr int kDesignLineHeight = 13;

void drawFocusFrame(QWidget* widget) {
    QStylePainter painter(widget);
    QStyleOptionFocusRect option;
    option.initFrom(widget);
    option.backgroundColor = widget->palette().color(widget->backgroundRole());
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

bool isActivationKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space || key == Qt::Key_Select;
}

// A picture drawn from a scalable icon over the whole widget, so it stays sharp at any pixel ratio.
class IconPicture : public QWidget {
public:
    IconPicture(const QIcon& icon, QWidget* parent) : QWidget(parent), icon_(icon) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        icon_.paint(&painter, rect());
    }

private:
    QIcon icon_;
};

// A picture that acts as a button: mouse, Enter and Space click it, and it reads as a button to
// assistive tools.
class PictureButton : public QAbstractButton {
public:
    PictureButton(const QIcon& picture, QWidget* parent) : QAbstractButton(parent) {
        setIcon(picture);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        {
            QPainter painter(this);
            icon().paint(&painter, rect());
        }
        if (hasFocus()) drawFocusFrame(this);
    }
    void keyPressEvent(QKeyEvent* event) override {
        // Space is the button's own key; Enter would otherwise reach the dialog's default button.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            click();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }
};

// Reports the link label as a link named by its caption, with a press action.
class UrlLabelAccessible : public QAccessibleWidget {
public:
    explicit UrlLabelAccessible(TUrlLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name) {
            const QString own = widget()->accessibleName();
            return own.isEmpty() ? label()->text() : own;
        }
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override { return QAccessibleWidget::actionNames() << pressAction(); }
    void doAction(const QString& action) override {
        if (action == pressAction())
            label()->activate();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    TUrlLabel* label() const { return static_cast<TUrlLabel*>(widget()); }
};

QAccessibleInterface* urlLabelAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1StringView(TUrlLabel::staticMetaObject.className())) {
        if (auto* label = qobject_cast<TUrlLabel*>(object)) return new UrlLabelAccessible(label);
    }
    return nullptr;
}

} // namespace

TUrlLabel::TUrlLabel(QWidget* parent) : TUrlLabel(QString(), parent) {}

TUrlLabel::TUrlLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(urlLabelAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    // A caption is an address, never markup.
    setTextFormat(Qt::PlainText);
    setForegroundRole(QPalette::Highlight);
    followPalette();
    // Only the underline is set here, so family and size still follow the parent's font.
    QFont underlined;
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

QString TUrlLabel::schemePrefix(URLType type) {
    // In the order of URLType.
    static constexpr const char16_t* kPrefixes[] = {u"http://", u"mailto:", u"ftp://",     u"https://",
                                                    u"news:",   u"nntp://", u"telnet://",  u"gopher://",
                                                    u"wais://", u"file://", u"prospero://"};
    const auto index = static_cast<std::size_t>(type);
    return index < std::size(kPrefixes) ? QString::fromUtf16(kPrefixes[index]) : QString();
}

QString TUrlLabel::composedAddress(const QString& url, URLType type) {
    if (url.isEmpty()) return QString();
    const QString prefix = schemePrefix(type);
    return url.startsWith(prefix, Qt::CaseInsensitive) ? url : prefix + url;
}

void TUrlLabel::activate() {
    click(true);
}

void TUrlLabel::click(bool opensUrl) {
    QPointer<TUrlLabel> alive(this);
    Q_EMIT clicked();
    // A handler of clicked() may have closed and deleted the label's window.
    if (alive && opensUrl) openOwnUrl();
}

void TUrlLabel::openOwnUrl() const {
    const QString address = composedAddress(url_, urlType_);
    if (!address.isEmpty()) guarded([&] { openUrl(address); });
}

void TUrlLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    pressed_ = true;
    event->accept();
}

void TUrlLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    pressed_ = false;
    event->accept();
    // Like a button: releasing outside the label cancels the click.
    if (rect().contains(event->position().toPoint())) click(singleClick_);
}

void TUrlLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseDoubleClickEvent(event);
        return;
    }
    // The second press of a double click is not a click of its own.
    pressed_ = false;
    event->accept();
    QPointer<TUrlLabel> alive(this);
    Q_EMIT doubleClicked();
    if (alive && !singleClick_) openOwnUrl();
}

void TUrlLabel::keyPressEvent(QKeyEvent* event) {
    // Enter on the keypad comes with the keypad modifier.
    if (isActivationKey(event->key()) && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        activate();
        return;
    }
    QLabel::keyPressEvent(event);
}

void TUrlLabel::followPalette() {
    // The link colour is the palette's highlight, made lighter or darker where it would not read on the
    // window's background (a dark theme's highlight is often a deep blue).
    if (followingPalette_) return;
    followingPalette_ = true;
    const QPalette source = parentWidget() ? parentWidget()->palette() : QApplication::palette(this);
    QPalette own = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        own.setColor(group, QPalette::Highlight,
                     solvenna::ui::readableColour(source.color(group, QPalette::Highlight),
                                                  source.color(group, QPalette::Window)));
    if (own != palette()) setPalette(own);
    followingPalette_ = false;
}

void TUrlLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) followPalette();
}

void TUrlLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (hasFocus()) drawFocusFrame(this);
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(u"О программе \"Solvenna\""_s);
    setWindowIcon(solvenna::ui::windowIcon());
}

TAboutBox::~TAboutBox() {
    if (AboutBox == this) AboutBox = nullptr;
}

void TAboutBox::ensureControls() {
    if (XPButton1) return;
    createControls();
    arrangeControls();
}

void TAboutBox::setVisible(bool visible) {
    if (visible) ensureControls();
    QDialog::setVisible(visible);
}

void TAboutBox::createControls() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(u"Panel1"_s);
    // A sunken box of single lines is a lowered outer and a raised inner bevel.
    Panel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setMidLineWidth(0);

    ProgramIcon = new IconPicture(programIcon(u"solvenna"_s), Panel1);
    ProgramIcon->setObjectName(u"ProgramIcon"_s);

    const auto makeLabel = [this](const QString& name, const QString& text) {
        auto* label = new QLabel(text, Panel1);
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    };
    ProductName = makeLabel(u"ProductName"_s, solvenna::programCaption());
    Copyright = makeLabel(u"Copyright"_s, u"© 2026 Разработчики Solvenna"_s);
    Comments = makeLabel(u"Comments"_s,
                         u"Программа бесплатна и предоставляется без каких-либо гарантий. Авторы не отвечают "
                         u"за ущерб вашему компьютеру или данным.\n"
                         u"Тексты гороскопов написаны специально для этой программы. "
                         u"Подробнее о гороскопах:"_s);
    Comments->setWordWrap(true);

    Url1 = new TUrlLabel(u"https://ru.wikipedia.org/wiki/Гороскоп"_s, Panel1);
    Url1->setObjectName(u"Url1"_s);
    Url1->setToolTip(u"Статья «Гороскоп» в Википедии"_s);
    connectGuarded(Url1, &TUrlLabel::clicked, this, &TAboutBox::Url1Click);

    Label1 = makeLabel(u"Label1"_s, u"Также можно сразу перейти к гороскопам по этой ссылке:"_s);

    Url2 = new TUrlLabel(u"https://ru.wikipedia.org/wiki/Знак_зодиака"_s, Panel1);
    Url2->setObjectName(u"Url2"_s);
    Url2->setToolTip(u"Статья «Знак зодиака» в Википедии: все двенадцать знаков"_s);
    connectGuarded(Url2, &TUrlLabel::clicked, this, &TAboutBox::Url2Click);

    auto* picture = new PictureButton(programIcon(u"mail"_s), Panel1);
    picture->setObjectName(u"Image2"_s);
    picture->setToolTip(u"Свои замечания, благодарности или \nпросто письма пишите по адресу:  "_s +
                        kAuthorMail);
    picture->setAccessibleName(u"Написать письмо автору"_s);
    connectGuarded(picture, &QAbstractButton::clicked, this, &TAboutBox::Image2Click);
    Image2 = picture;

    XPButton1 = new QPushButton(u"ОК"_s, this);
    XPButton1->setObjectName(u"XPButton1"_s);
    // Only the weight is set, so the button keeps following the box's font otherwise.
    QFont bold;
    bold.setBold(true);
    XPButton1->setFont(bold);
    XPButton1->setDefault(true);
    connectGuarded(XPButton1, &QPushButton::clicked, this, &TAboutBox::XPButton1Click);

    // The button comes first, so that Enter closes the box rather than opening a link; then the links and
    // the picture in reading order.
    setTabOrder(XPButton1, Url1);
    setTabOrder(Url1, Url2);
    setTabOrder(Url2, Image2);
}

void TAboutBox::arrangeControls() {
    // The design assumed a small bitmap font. Each control keeps its design place unless the font in use
    // needs more room; then it moves down (or left, for a link near the panel's edge) just far enough,
    // and the panel, the button and the box grow with it.
    const QRect productName(QPoint(kProductName.x(), std::max(kProductName.y(), kProgramIcon.bottom() + 1)),
                            ProductName->sizeHint());
    const QRect copyright(QPoint(kCopyright.x(), std::max(kCopyright.y(), productName.bottom() + 1)),
                          Copyright->sizeHint());
    const int commentsTop = std::max(kComments.y(), copyright.bottom() + 1);
    const int commentsTextHeight = Comments->heightForWidth(kComments.width());
    const QRect comments(kComments.x(), commentsTop, kComments.width(),
                         std::max(kComments.height(), commentsTextHeight));

    const int leftColumnRight = std::max({productName.right(), copyright.right(), comments.right()});
    const QRect image(QPoint(std::max(kImage2.x(), leftColumnRight + 1 + kImageGap), kImage2.y()),
                      kImage2.size());

    const QSize url1Size = Url1->sizeHint();
    const QSize label1Size = Label1->sizeHint();
    const QSize url2Size = Url2->sizeHint();
    const int imageMargin = kPanel.width() - (kImage2.x() + kImage2.width());
    const int panelWidth = std::max(
        {kPanel.width(), image.right() + 1 + imageMargin, kLabel1.x() + label1Size.width() + kPanelTextMargin,
         url1Size.width() + 2 * kPanelTextMargin, url2Size.width() + 2 * kPanelTextMargin});
    const auto linkLeft = [panelWidth](int designLeft, const QSize& size) {
        return std::min(designLeft, panelWidth - kPanelTextMargin - size.width());
    };

    // Url1 continues the disclaimer: it goes under the paragraph's last line.
    const QRect url1(
        QPoint(linkLeft(kUrl1.x(), url1Size), std::max(kUrl1.y(), commentsTop + commentsTextHeight)),
        url1Size);
    const QRect label1(QPoint(kLabel1.x(), std::max(kLabel1.y(), url1.bottom() + 1)), label1Size);
    const QRect url2(QPoint(linkLeft(kUrl2.x(), url2Size), std::max(kUrl2.y(), label1.bottom() + 1)),
                     url2Size);
    const int panelHeight = std::max(kPanel.height(), url2.bottom() + 1 + kPanelBottomMargin);

    ProgramIcon->setGeometry(kProgramIcon);
    ProductName->setGeometry(productName);
    Copyright->setGeometry(copyright);
    Comments->setGeometry(comments);
    Image2->setGeometry(image);
    Url1->setGeometry(url1);
    Label1->setGeometry(label1);
    Url2->setGeometry(url2);
    Panel1->setGeometry(kPanel.x(), kPanel.y(), panelWidth, panelHeight);

    const int panelToButton = kButton.y() - (kPanel.y() + kPanel.height());
    const int buttonBelow = kClientSize.height() - (kButton.y() + kButton.height());
    const int panelRightMargin = kClientSize.width() - (kPanel.x() + kPanel.width());
    // The design's button is 25 pixels high around a 13-pixel line; it grows only with the line.
    const int buttonLine = XPButton1->fontMetrics().height();
    const QSize buttonSize(std::max(kButton.width(), XPButton1->sizeHint().width()),
                           std::max(kButton.height(), buttonLine + kButton.height() - kDesignLineHeight));
    const int buttonTop = Panel1->geometry().bottom() + 1 + panelToButton;
    const QSize client(std::max(kClientSize.width(), Panel1->geometry().right() + 1 + panelRightMargin),
                       std::max(kClientSize.height(), buttonTop + buttonSize.height() + buttonBelow));
    // Centred, as designed (177 is the middle of the design width).
    XPButton1->setGeometry((client.width() - buttonSize.width()) / 2, buttonTop, buttonSize.width(),
                           buttonSize.height());

    FormCanResize(client);
}

void TAboutBox::FormCanResize(const QSize& laidOutSize) {
    // The box refuses every resize: with its minimum and maximum sizes both at the laid-out size, the
    // window manager offers no resizing and resize() calls are clamped back.
    setFixedSize(laidOutSize);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Nothing carries over from the last showing: the focus starts on the button again.
    XPButton1->setFocus(Qt::OtherFocusReason);
    // Centred on the screen, not over the main window, each time it is shown.
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        // The frame counts: move() places the frame's corner.
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void TAboutBox::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if ((event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) && XPButton1)
        arrangeControls();
}

void TAboutBox::Url1Click() {
    openUrl(Url1->text());
}

void TAboutBox::Url2Click() {
    openUrl(Url2->text());
}

void TAboutBox::Image2Click() {
    openUrl(u"mailto:"_s + kAuthorMail);
}

void TAboutBox::XPButton1Click() {
    accept();
}

} // namespace solvenna::ui

TAboutBox* AboutBox = nullptr;
