#include "about.h"
#include "icons.h"
#include "services.h"

#include "uitestsupport.h"

#include <QAccessible>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <stdexcept>

using namespace solvenna::ui;
using testsupport::ServiceRecorder;
using namespace Qt::Literals::StringLiterals;

namespace {

// What a user's double click delivers to a widget: press, release, double-click press, release.
void doubleClick(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
    QTest::mouseDClick(widget, Qt::LeftButton);
    QTest::mouseRelease(widget, Qt::LeftButton);
}

template <typename T> T* child(const QWidget& parent, const QString& name) {
    T* found = parent.findChild<T*>(name);
    if (!found) qFatal("no child %s", qPrintable(name));
    return found;
}

} // namespace

class AboutTest : public QObject {
    Q_OBJECT
public:
    enum Gesture { Click, DoubleClick, ReturnKey, KeypadEnterKey, SpaceKey, EscapeKey };
    Q_ENUM(Gesture)

private Q_SLOTS:
    void cleanup() { resetServices(); }

    void composedAddress_prependsTheSchemeOnce_data();
    void composedAddress_prependsTheSchemeOnce();
    void urlLabel_opensItsOwnAddressOnTheChosenClick_data();
    void urlLabel_opensItsOwnAddressOnTheChosenClick();
    void urlLabel_releaseOutsideIsNoClick();
    void urlLabel_keepsLinkLookWhenParentFontChanges();
    void urlLabel_isAnAccessibleLinkNamedByItsCaption();

    void aboutBox_showsItsTextsExactly_data();
    void aboutBox_showsItsTextsExactly();
    void aboutBox_shippedLinksAreRussianWebPages_data();
    void aboutBox_shippedLinksAreRussianWebPages();
    void aboutBox_linkOpensExactlyItsCaptionOnce_data();
    void aboutBox_linkOpensExactlyItsCaptionOnce();
    void aboutBox_pictureStartsAMailToTheAuthors_data();
    void aboutBox_pictureStartsAMailToTheAuthors();
    void aboutBox_failedOpenIsReportedAndTheBoxStays();
    void aboutBox_closes_data();
    void aboutBox_closes();
    void aboutBox_refusesEveryResize_data();
    void aboutBox_refusesEveryResize();
    void aboutBox_isCentredOnTheScreen();
    void aboutBox_keepsDesignSizeWithASmallFont();
    void aboutBox_noTextIsCutOrOverlapped_data();
    void aboutBox_noTextIsCutOrOverlapped();

    void icons_areReachableAndDrawSomething_data();
    void icons_areReachableAndDrawSomething();
    void windowIcon_carriesOnlyTheFrameSizes();
    void aboutBox_buildsItsControlsWhenFirstShown();
};

void AboutTest::composedAddress_prependsTheSchemeOnce_data() {
    QTest::addColumn<TUrlLabel::URLType>("type");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("address");
    using L = TUrlLabel;
    QTest::newRow("http") << L::urlHTTP << u"example.org/a"_s << u"http://example.org/a"_s;
    QTest::newRow("mailto") << L::urlMailTo << u"me@example.org"_s << u"mailto:me@example.org"_s;
    QTest::newRow("ftp") << L::urlFTP << u"ftp.example.org/pub"_s << u"ftp://ftp.example.org/pub"_s;
    QTest::newRow("https") << L::urlHTTPS << u"example.org"_s << u"https://example.org"_s;
    QTest::newRow("news") << L::urlNews << u"comp.lang.c"_s << u"news:comp.lang.c"_s;
    QTest::newRow("nntp") << L::urlNNTP << u"news.example.org/x"_s << u"nntp://news.example.org/x"_s;
    QTest::newRow("telnet") << L::urlTelnet << u"bbs.example.org"_s << u"telnet://bbs.example.org"_s;
    QTest::newRow("gopher") << L::urlGopher << u"gopher.example.org"_s << u"gopher://gopher.example.org"_s;
    QTest::newRow("wais") << L::urlWAIS << u"wais.example.org"_s << u"wais://wais.example.org"_s;
    QTest::newRow("file") << L::urlFile << u"/tmp/a.htm"_s << u"file:///tmp/a.htm"_s;
    QTest::newRow("prospero") << L::urlProspero << u"p.example.org"_s << u"prospero://p.example.org"_s;

    QTest::newRow("http already there") << L::urlHTTP << u"http://example.org"_s << u"http://example.org"_s;
    QTest::newRow("http in capitals") << L::urlHTTP << u"HTTP://Example.org"_s << u"HTTP://Example.org"_s;
    QTest::newRow("mailto mixed case")
        << L::urlMailTo << u"MailTo:me@example.org"_s << u"MailTo:me@example.org"_s;
    QTest::newRow("news in capitals") << L::urlNews << u"NEWS:comp.lang.c"_s << u"NEWS:comp.lang.c"_s;
    QTest::newRow("prospero mixed case") << L::urlProspero << u"PrOsPeRo://p"_s << u"PrOsPeRo://p"_s;
    QTest::newRow("scheme without slashes is not the scheme")
        << L::urlHTTP << u"http:example.org"_s << u"http://http:example.org"_s;
    QTest::newRow("scheme inside is not a prefix")
        << L::urlHTTPS << u"see https://example.org"_s << u"https://see https://example.org"_s;

    QTest::newRow("empty http") << L::urlHTTP << QString() << QString();
    QTest::newRow("empty mailto") << L::urlMailTo << QString() << QString();
}

void AboutTest::composedAddress_prependsTheSchemeOnce() {
    QFETCH(TUrlLabel::URLType, type);
    QFETCH(QString, url);
    QFETCH(QString, address);
    QCOMPARE(TUrlLabel::composedAddress(url, type), address);
}

void AboutTest::urlLabel_opensItsOwnAddressOnTheChosenClick_data() {
    QTest::addColumn<bool>("singleClick");
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<QString>("url");
    QTest::addColumn<TUrlLabel::URLType>("type");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("doubleClicks");
    const QString url = u"example.org/page"_s;
    const QStringList http{u"http://example.org/page"_s};
    using L = TUrlLabel;
    QTest::newRow("SingleClick on, click") << true << Click << url << L::urlHTTP << http << 1 << 0;
    QTest::newRow("SingleClick on, double click opens once")
        << true << DoubleClick << url << L::urlHTTP << http << 1 << 1;
    QTest::newRow("SingleClick off, click opens nothing")
        << false << Click << url << L::urlHTTP << QStringList() << 1 << 0;
    QTest::newRow("SingleClick off, double click")
        << false << DoubleClick << url << L::urlHTTP << http << 1 << 1;
    QTest::newRow("mailto on click") << true << Click << u"me@example.org"_s << L::urlMailTo
                                     << QStringList{u"mailto:me@example.org"_s} << 1 << 0;
    QTest::newRow("empty URL, click") << true << Click << QString() << L::urlHTTP << QStringList() << 1 << 0;
    QTest::newRow("empty URL, double click")
        << false << DoubleClick << QString() << L::urlHTTP << QStringList() << 1 << 1;
    QTest::newRow("Return key") << true << ReturnKey << url << L::urlHTTP << http << 1 << 0;
    QTest::newRow("keypad Enter key") << true << KeypadEnterKey << url << L::urlHTTP << http << 1 << 0;
    QTest::newRow("Space key, SingleClick off") << false << SpaceKey << url << L::urlHTTP << http << 1 << 0;
    QTest::newRow("Escape key is not activation")
        << true << EscapeKey << url << L::urlHTTP << QStringList() << 0 << 0;
}

void AboutTest::urlLabel_opensItsOwnAddressOnTheChosenClick() {
    QFETCH(bool, singleClick);
    QFETCH(Gesture, gesture);
    QFETCH(QString, url);
    QFETCH(TUrlLabel::URLType, type);
    QFETCH(QStringList, opened);
    QFETCH(int, clicks);
    QFETCH(int, doubleClicks);

    ServiceRecorder desktop;
    QWidget window;
    auto* label = new TUrlLabel(u"a link"_s, &window);
    label->setUrl(url);
    label->setUrlType(type);
    label->setSingleClick(singleClick);
    window.show();
    QSignalSpy clicked(label, &TUrlLabel::clicked);
    QSignalSpy doubleClicked(label, &TUrlLabel::doubleClicked);
    // The click signal comes before the label opens anything of its own.
    QStringList openedBeforeClickSignal;
    connect(label, &TUrlLabel::clicked, label, [&] { openedBeforeClickSignal = desktop.openedTexts(); });

    switch (gesture) {
    case Click:
        QTest::mouseClick(label, Qt::LeftButton);
        break;
    case DoubleClick:
        doubleClick(label);
        break;
    case ReturnKey:
        QTest::keyClick(label, Qt::Key_Return);
        break;
    case KeypadEnterKey:
        QTest::keyClick(label, Qt::Key_Enter, Qt::KeypadModifier);
        break;
    case SpaceKey:
        QTest::keyClick(label, Qt::Key_Space);
        break;
    case EscapeKey:
        QTest::keyClick(label, Qt::Key_Escape);
        break;
    }

    QCOMPARE(desktop.openedTexts(), opened);
    QCOMPARE(clicked.count(), clicks);
    QCOMPARE(doubleClicked.count(), doubleClicks);
    QVERIFY(openedBeforeClickSignal.isEmpty());
    QVERIFY(desktop.boxes.isEmpty());
}

void AboutTest::urlLabel_releaseOutsideIsNoClick() {
    ServiceRecorder desktop;
    QWidget window;
    auto* label = new TUrlLabel(u"a link"_s, &window);
    label->setUrl(u"example.org"_s);
    window.resize(300, 100);
    window.show();
    QSignalSpy clicked(label, &TUrlLabel::clicked);
    QTest::mousePress(label, Qt::LeftButton);
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() + 20, label->height() + 20));
    QCOMPARE(clicked.count(), 0);
    QVERIFY(desktop.openedTexts().isEmpty());
}

void AboutTest::urlLabel_keepsLinkLookWhenParentFontChanges() {
    QWidget window;
    auto* label = new TUrlLabel(u"https://example.org"_s, &window);
    QFont large;
    large.setPixelSize(23);
    window.setFont(large);
    QCOMPARE(label->font().pixelSize(), 23);
    QVERIFY(label->font().underline());
    QCOMPARE(label->foregroundRole(), QPalette::Highlight);
    QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
    QVERIFY(label->focusPolicy() & Qt::TabFocus);
}

void AboutTest::urlLabel_isAnAccessibleLinkNamedByItsCaption() {
    ServiceRecorder desktop;
    QWidget window;
    auto* label = new TUrlLabel(u"https://example.org/one"_s, &window);
    label->setUrl(u"example.org/own"_s);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::Link);
    QCOMPARE(accessible->text(QAccessible::Name), u"https://example.org/one"_s);
    label->setText(u"https://example.org/two"_s);
    QCOMPARE(accessible->text(QAccessible::Name), u"https://example.org/two"_s);

    QAccessibleActionInterface* actions = accessible->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    QSignalSpy clicked(label, &TUrlLabel::clicked);
    actions->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(desktop.openedTexts(), QStringList{u"http://example.org/own"_s});
}

void AboutTest::aboutBox_showsItsTextsExactly_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::newRow("caption") << QString() << u"О программе \"Solvenna\""_s;
    QTest::newRow("ProductName") << u"ProductName"_s << u"Solvenna, версия 1.3"_s;
    QTest::newRow("Label1") << u"Label1"_s << u"Также можно сразу перейти к гороскопам по этой ссылке:"_s;
    QTest::newRow("XPButton1") << u"XPButton1"_s << u"ОК"_s;
}

void AboutTest::aboutBox_showsItsTextsExactly() {
    QFETCH(QString, control);
    QFETCH(QString, text);
    TAboutBox box;
    box.ensureControls();
    if (control.isEmpty()) {
        QCOMPARE(box.windowTitle(), text);
        return;
    }
    QWidget* widget = child<QWidget>(box, control);
    if (auto* label = qobject_cast<QLabel*>(widget))
        QCOMPARE(label->text(), text);
    else if (auto* button = qobject_cast<QPushButton*>(widget))
        QCOMPARE(button->text(), text);
    else
        QFAIL("neither a label nor a button");
}

void AboutTest::aboutBox_shippedLinksAreRussianWebPages_data() {
    QTest::addColumn<QString>("link");
    QTest::newRow("Url1") << u"Url1"_s;
    QTest::newRow("Url2") << u"Url2"_s;
}

void AboutTest::aboutBox_shippedLinksAreRussianWebPages() {
    QFETCH(QString, link);
    TAboutBox box;
    box.ensureControls();
    const auto* label = child<TUrlLabel>(box, link);
    const QUrl url(label->text(), QUrl::StrictMode);
    QVERIFY2(url.isValid(), qPrintable(url.errorString()));
    QCOMPARE(url.scheme(), u"https"_s);
    QVERIFY2(url.host().startsWith(u"ru."_s), qPrintable(url.host()));
    QVERIFY(!url.path().isEmpty());
    // The about box opens its captions itself; an address of the label's own would open a second page.
    QVERIFY(label->url().isEmpty());
    QVERIFY(!label->toolTip().isEmpty());
}

void AboutTest::aboutBox_linkOpensExactlyItsCaptionOnce_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("newCaption");
    QTest::newRow("Url1 as shipped") << u"Url1"_s << QString();
    QTest::newRow("Url2 as shipped") << u"Url2"_s << QString();
    QTest::newRow("Url1 with another caption") << u"Url1"_s << u"https://example.org/другая_страница"_s;
    QTest::newRow("Url2 with another caption") << u"Url2"_s << u"http://example.com/zodiac?sign=leo"_s;
}

void AboutTest::aboutBox_linkOpensExactlyItsCaptionOnce() {
    QFETCH(QString, link);
    QFETCH(QString, newCaption);
    ServiceRecorder desktop;
    TAboutBox box;
    box.ensureControls();
    box.show();
    auto* label = child<TUrlLabel>(box, link);
    if (!newCaption.isEmpty()) label->setText(newCaption);
    const QString caption = label->text();

    QTest::mouseClick(label, Qt::LeftButton);

    QCOMPARE(desktop.openedTexts(), QStringList{caption});
    QVERIFY(box.isVisible());
    QVERIFY(desktop.boxes.isEmpty());
}

void AboutTest::aboutBox_pictureStartsAMailToTheAuthors_data() {
    QTest::addColumn<Gesture>("gesture");
    QTest::newRow("click") << Click;
    QTest::newRow("Return key") << ReturnKey;
    QTest::newRow("Space key") << SpaceKey;
}

void AboutTest::aboutBox_pictureStartsAMailToTheAuthors() {
    QFETCH(Gesture, gesture);
    ServiceRecorder desktop;
    TAboutBox box;
    box.ensureControls();
    box.show();
    auto* picture = child<QWidget>(box, u"Image2"_s);
    switch (gesture) {
    case ReturnKey:
        QTest::keyClick(picture, Qt::Key_Return);
        break;
    case SpaceKey:
        QTest::keyClick(picture, Qt::Key_Space);
        break;
    default:
        QTest::mouseClick(picture, Qt::LeftButton);
        break;
    }
    QCOMPARE(desktop.openedTexts(), QStringList{u"mailto:solvenna@example.org"_s});
    QVERIFY(box.isVisible());
    QCOMPARE(picture->toolTip(),
             u"Свои замечания, благодарности или \nпросто письма пишите по адресу:  solvenna@example.org"_s);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(picture);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), u"Написать письмо автору"_s);
    QCOMPARE(picture->cursor().shape(), Qt::PointingHandCursor);
}

void AboutTest::aboutBox_failedOpenIsReportedAndTheBoxStays() {
    ServiceRecorder desktop;
    services().openUrl = [](const QUrl&) { throw std::runtime_error("No program opens this address"); };
    TAboutBox box;
    box.ensureControls();
    box.show();
    QTest::mouseClick(child<QWidget>(box, u"Url2"_s), Qt::LeftButton);
    QCOMPARE(desktop.texts(), QStringList{u"No program opens this address."_s});
    QVERIFY(box.isVisible());
}

void AboutTest::aboutBox_closes_data() {
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<int>("result");
    QTest::newRow("ОК clicked") << Click << int(QDialog::Accepted);
    QTest::newRow("Return on the first focus") << ReturnKey << int(QDialog::Accepted);
    QTest::newRow("Escape") << EscapeKey << int(QDialog::Rejected);
}

void AboutTest::aboutBox_closes() {
    QFETCH(Gesture, gesture);
    QFETCH(int, result);
    ServiceRecorder desktop;
    TAboutBox box;
    box.ensureControls();
    box.show();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    auto* ok = child<QPushButton>(box, u"XPButton1"_s);
    QVERIFY(ok->isDefault());
    QCOMPARE(box.focusWidget(), ok);
    switch (gesture) {
    case Click:
        QTest::mouseClick(ok, Qt::LeftButton);
        break;
    case ReturnKey:
        QTest::keyClick(box.focusWidget(), Qt::Key_Return);
        break;
    default:
        QTest::keyClick(box.focusWidget(), Qt::Key_Escape);
        break;
    }
    QCOMPARE(box.result(), result);
    QVERIFY(!box.isVisible());
    QVERIFY(desktop.openedTexts().isEmpty());
}

void AboutTest::aboutBox_refusesEveryResize_data() {
    QTest::addColumn<QSize>("attempt");
    QTest::newRow("larger") << QSize(800, 600);
    QTest::newRow("smaller") << QSize(200, 100);
    QTest::newRow("wider only") << QSize(1000, 0);
    QTest::newRow("taller only") << QSize(0, 1000);
    QTest::newRow("nothing") << QSize(0, 0);
}

void AboutTest::aboutBox_refusesEveryResize() {
    QFETCH(QSize, attempt);
    TAboutBox box;
    box.ensureControls();
    box.show();
    const QSize before = box.size();
    QCOMPARE(box.minimumSize(), before);
    QCOMPARE(box.maximumSize(), before);
    const QSize request(attempt.width() ? attempt.width() : before.width(),
                        attempt.height() ? attempt.height() : before.height());
    box.resize(request);
    QCOMPARE(box.size(), before);
    box.setGeometry(QRect(box.pos(), request));
    QCOMPARE(box.size(), before);
    QTRY_COMPARE(box.windowHandle()->size(), before);
}

void AboutTest::aboutBox_isCentredOnTheScreen() {
    TAboutBox box;
    box.ensureControls();
    box.show();
    const QRect screen = box.screen()->availableGeometry();
    const QPoint centre = box.frameGeometry().center();
    QVERIFY2((centre - screen.center()).manhattanLength() <= 1,
             qPrintable(u"box centre %1,%2, screen centre %3,%4"_s.arg(centre.x())
                            .arg(centre.y())
                            .arg(screen.center().x())
                            .arg(screen.center().y())));
}

void AboutTest::aboutBox_keepsDesignSizeWithASmallFont() {
    // An 11-pixel font is what the layout was drawn for: everything stays at its design place.
    TAboutBox box;
    box.ensureControls();
    QFont small;
    small.setPixelSize(11);
    box.setFont(small);
    QCOMPARE(box.size(), QSize(468, 243));
    QCOMPARE(child<QWidget>(box, u"Panel1"_s)->geometry(), QRect(8, 8, 441, 185));
    QCOMPARE(child<QWidget>(box, u"ProgramIcon"_s)->geometry(), QRect(16, 8, 16, 16));
    QCOMPARE(child<QWidget>(box, u"ProductName"_s)->pos(), QPoint(16, 32));
    QCOMPARE(child<QWidget>(box, u"Copyright"_s)->pos(), QPoint(16, 48));
    QCOMPARE(child<QWidget>(box, u"Comments"_s)->geometry(), QRect(8, 64, 306, 78));
    QCOMPARE(child<QWidget>(box, u"Label1"_s)->pos(), QPoint(8, 148));
    QCOMPARE(child<QWidget>(box, u"Image2"_s)->geometry(), QRect(323, 24, 104, 97));
    QCOMPARE(child<QWidget>(box, u"XPButton1"_s)->geometry(), QRect(177, 208, 113, 25));
}

void AboutTest::aboutBox_noTextIsCutOrOverlapped_data() {
    QTest::addColumn<int>("pixelSize");
    QTest::newRow("application font") << 0;
    for (const int size : {11, 13, 16, 20, 26})
        QTest::addRow("%d px", size) << size;
}

void AboutTest::aboutBox_noTextIsCutOrOverlapped() {
    QFETCH(int, pixelSize);
    TAboutBox box;
    box.ensureControls();
    if (pixelSize) {
        QFont font;
        font.setPixelSize(pixelSize);
        box.setFont(font);
    }
    const auto* panel = child<QWidget>(box, u"Panel1"_s);
    const QRect inside = panel->contentsRect();

    struct Placed {
        QString name;
        QRect ink;
    };
    QList<Placed> placed;
    for (const QString& name : {u"ProgramIcon"_s, u"ProductName"_s, u"Copyright"_s, u"Comments"_s, u"Url1"_s,
                                u"Label1"_s, u"Url2"_s, u"Image2"_s}) {
        const auto* widget = child<QWidget>(box, name);
        QCOMPARE(widget->parentWidget(), panel);
        QRect ink = widget->geometry();
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            const QSize needed = label->wordWrap()
                                     ? QSize(label->width(), label->heightForWidth(label->width()))
                                     : label->sizeHint();
            QVERIFY2(label->width() >= needed.width() && label->height() >= needed.height(),
                     qPrintable(name + u" is cut"_s));
            // A wrapped paragraph is drawn from the top; below its last line the label is empty.
            ink.setSize(needed);
        }
        QVERIFY2(inside.contains(widget->geometry()), qPrintable(name + u" runs out of the panel"_s));
        for (const Placed& other : std::as_const(placed))
            QVERIFY2(!ink.intersects(other.ink), qPrintable(name + u" overlaps "_s + other.name));
        placed << Placed{name, ink};
    }

    const auto* ok = child<QPushButton>(box, u"XPButton1"_s);
    QVERIFY(ok->width() >= ok->sizeHint().width() && ok->height() > ok->fontMetrics().height());
    QVERIFY(box.rect().contains(panel->geometry()));
    QVERIFY(box.rect().contains(ok->geometry()));
    QVERIFY(!ok->geometry().intersects(panel->geometry()));
    QVERIFY(box.width() >= 468 && box.height() >= 243);
    QCOMPARE(box.minimumSize(), box.maximumSize());
}

void AboutTest::icons_areReachableAndDrawSomething_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("designSize");
    for (int index = 0; index <= 10; ++index)
        QTest::addRow("icon %d", index) << QString::number(index) << QSize(16, 16);
    QTest::newRow("more, across") << u"more-h"_s << QSize(16, 16);
    QTest::newRow("more, down") << u"more-v"_s << QSize(16, 16);
    QTest::newRow("program icon") << u"solvenna"_s << QSize(48, 48);
    QTest::newRow("mail picture") << u"mail"_s << QSize(104, 97);
}

void AboutTest::icons_areReachableAndDrawSomething() {
    QFETCH(QString, name);
    QFETCH(QSize, designSize);
    const QIcon icon = solvenna::ui::programIcon(name);
    QVERIFY2(!icon.isNull(), qPrintable(name + u" is not compiled into the program"_s));
    // Drawn at the design size and at the usual screen scale factors, each picture is one of the
    // rendered files itself: nothing is blown up, so nothing is blurred.
    const QList<QSize> available = icon.availableSizes();
    for (const double scale : {1.0, 1.5, 2.0, 3.0}) {
        const QSize box = (QSizeF(designSize) * scale).toSize();
        const QSize shown = icon.actualSize(box);
        QVERIFY2(available.contains(shown) &&
                     (shown.width() == box.width() || shown.height() == box.height()),
                 qPrintable(u"%1 has no picture for %2 x %3"_s.arg(name).arg(box.width()).arg(box.height())));
    }
    for (const QSize& size : {QSize(16, 16), designSize, designSize * 2}) {
        const QImage image = icon.pixmap(size).toImage();
        QVERIFY2(!image.isNull(), qPrintable(u"%1 at %2 px"_s.arg(name).arg(size.width())));
        QCOMPARE(image.size(), designSize.scaled(size, Qt::KeepAspectRatio));
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 128;
        // Disabled commands show the picture greyed out, not as it is.
        QVERIFY2(icon.pixmap(size, QIcon::Disabled).toImage() != image,
                 qPrintable(u"%1 at %2 px looks the same when disabled"_s.arg(name).arg(size.width())));
        // A drawn picture covers a fair part of its square, and never all of it (the corners stay clear).
        const int area = image.width() * image.height();
        QVERIFY2(
            opaque > area / 10 && opaque < area,
            qPrintable(
                u"%1 at %2 px: %3 of %4 pixels drawn"_s.arg(name).arg(size.width()).arg(opaque).arg(area)));
    }
}

void AboutTest::windowIcon_carriesOnlyTheFrameSizes() {
    // The window system is handed every size a window's icon has, at every window's creation: the frame
    // icon must stay a handful of sizes, each one drawn sharp.
    const QIcon icon = solvenna::ui::windowIcon();
    const QList<QSize> sizes = icon.availableSizes();
    QCOMPARE(sizes, (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {96, 96}}));
    for (const QSize& size : sizes)
        QCOMPARE(icon.pixmap(size).size(), size);
    TAboutBox box;
    QCOMPARE(box.windowIcon().availableSizes(), sizes);
}

void AboutTest::aboutBox_buildsItsControlsWhenFirstShown() {
    TAboutBox box;
    QCOMPARE(box.findChildren<QWidget*>().size(), 0);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    auto* ok = box.findChild<QPushButton*>(u"XPButton1"_s);
    QVERIFY(ok);
    QVERIFY(ok->hasFocus());
    QCOMPARE(box.minimumSize(), box.maximumSize());
    // Shown again, the box keeps its one set of controls.
    const qsizetype controls = box.findChildren<QWidget*>().size();
    box.hide();
    box.show();
    QCOMPARE(box.findChildren<QWidget*>().size(), controls);
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
