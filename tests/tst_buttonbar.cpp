#include "widgets.h"
#include "widgets/widgets_p.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QElapsedTimer>
#include <QLabel>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

using Copy = TButtonBarSlidePlan::Copy;
using Plan = TButtonBarSlidePlan;
using Internals = TButtonBarInternals;

// A 200 x 300 bar with a 2-pixel frame, so its inner rectangle is (2,2)-(198,298) and every row is known.
std::unique_ptr<TButtonBar> makeBar(int sections, QSize size = {200, 300}) {
    auto bar = std::make_unique<TButtonBar>();
    bar->setBevelInner(TButtonBar::Bevel::Lowered);
    bar->setBevelOuter(TButtonBar::Bevel::Lowered);
    for (int i = 0; i < sections; ++i)
        bar->Sections().Add(QStringLiteral("S%1").arg(i));
    bar->resize(size);
    return bar;
}

// Section 0 holds one item, as in the single-page layout.
std::unique_ptr<TButtonBar> makeSingleItemBar(const QString& hint) {
    auto bar = makeBar(3);
    bar->setSoftScroll(false);
    bar->setSmallItemHeight(30);
    bar->Sections()[0]->setUseSmallImages(true);
    bar->AddItem(0, QStringLiteral("Китайский гороскоп"))->setHint(hint);
    return bar;
}

// Ten 30-pixel items in a 100-pixel bar: the item area is rows 3..97, so the list scrolls by 5 + 300 - 94.
std::unique_ptr<TButtonBar> makeOverflowingBar() {
    auto bar = makeBar(1, {200, 100});
    bar->setSingleSectionMode(true);
    bar->setSmallItemHeight(30);
    bar->setScrollDelay(20);
    bar->Sections()[0]->setUseSmallImages(true);
    for (int i = 0; i < 10; ++i)
        bar->AddItem(0, QString::number(i));
    return bar;
}

bool showAndPaint(TButtonBar& bar) {
    bar.show();
    if (!QTest::qWaitForWindowExposed(&bar)) return false;
    bar.repaint();
    return true;
}

// Writes the bar's events as lines of text.
struct EventLog {
    QStringList lines;
    bool refuseChange = false;
    bool refuseClick = false;

    explicit EventLog(TButtonBar& bar) {
        bar.OnBeforeSectionChange = [this](TButtonBar*, int current, int next, bool& allowExit) {
            lines << QStringLiteral("before %1>%2").arg(current).arg(next);
            allowExit = !refuseChange;
        };
        bar.OnSectionChange = [this](TButtonBar* sender, int current, int next) {
            lines
                << QStringLiteral("change %1>%2 open %3").arg(current).arg(next).arg(sender->ActiveSection());
        };
        bar.OnSectionChanged = [this](TButtonBar* sender, int current, int old) {
            lines
                << QStringLiteral("changed %1<%2 open %3").arg(current).arg(old).arg(sender->ActiveSection());
        };
        bar.OnBeforeItemClick = [this](TButtonBar*, int, int, bool& allowClick) {
            allowClick = !refuseClick;
        };
        bar.OnItemClick = [this](TButtonBar*, int section, int item) {
            lines << QStringLiteral("item %1,%2").arg(section).arg(item);
        };
    }
    void watchItemClicks(TButtonBarSection& section) {
        for (int i = 0; i < section.Items().Count(); ++i)
            section.Items()[i]->OnClick = [this](TButtonBarItem* item) {
                lines << u"onclick "_s + item->Caption();
            };
    }
};

} // namespace

Q_DECLARE_METATYPE(Copy)
Q_DECLARE_METATYPE(TButtonBarSlidePlan)

class TestButtonBar : public QObject {
    Q_OBJECT

    static QPoint buttonCentre(const TButtonBar& bar, int section) {
        return Internals::barGeometry(bar).buttons[section].center();
    }
    static QPoint itemCentre(const TButtonBar& bar, int item) {
        return Internals::barGeometry(bar).items[item].center();
    }
    static void press(TButtonBar& bar, const QPoint& pos) {
        QTest::mousePress(&bar, Qt::LeftButton, {}, pos);
    }
    static void release(TButtonBar& bar, const QPoint& pos) {
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, pos);
    }
    // Qt drops a move to where the pointer already is, and each test's bar lies where the last one did.
    static void hover(TButtonBar& bar, const QPoint& pos) {
        QTest::mouseMove(&bar, QPoint(1, 1));
        QTest::mouseMove(&bar, pos);
    }

private Q_SLOTS:
    void sectionChange_reportsEventsInOrder_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("setter") << "setter" << 1 << 3;
        QTest::newRow("NextSection") << "next" << 1 << 2;
        QTest::newRow("PreviousSection") << "previous" << 2 << 1;
        QTest::newRow("press below the open section") << "press" << 0 << 3;
        QTest::newRow("press above the open section") << "press" << 3 << 1;
        QTest::newRow("key Down") << "down" << 1 << 2;
    }
    void sectionChange_reportsEventsInOrder() {
        QFETCH(QString, how);
        QFETCH(int, from);
        QFETCH(int, to);
        auto bar = makeBar(5);
        bar->setActiveSection(from);
        QVERIFY(showAndPaint(*bar));
        EventLog log(*bar);

        if (how == u"setter") bar->setActiveSection(to);
        if (how == u"next") QCOMPARE(bar->NextSection(), to);
        if (how == u"previous") QCOMPARE(bar->PreviousSection(), to);
        if (how == u"down") QTest::keyClick(bar.get(), Qt::Key_Down);
        if (how == u"press") {
            // The section opens as the button goes down; the release adds nothing.
            press(*bar, buttonCentre(*bar, to));
            QCOMPARE(bar->ActiveSection(), to);
            release(*bar, buttonCentre(*bar, to));
        }
        const QStringList expected{QStringLiteral("before %1>%2").arg(from).arg(to),
                                   QStringLiteral("change %1>%2 open %1").arg(from).arg(to),
                                   QStringLiteral("changed %2<%1 open %2").arg(from).arg(to)};
        QCOMPARE(log.lines, expected);
        QCOMPARE(bar->ActiveSection(), to);
    }

    void sectionChanged_runsBeforeTheSlideIsSeen_data() {
        QTest::addColumn<bool>("softScroll");
        QTest::newRow("SoftScroll on") << true;
        QTest::newRow("SoftScroll off") << false;
    }
    void sectionChanged_runsBeforeTheSlideIsSeen() {
        QFETCH(bool, softScroll);
        auto bar = makeBar(5);
        bar->setSoftScroll(softScroll);
        QVERIFY(showAndPaint(*bar));
        const int framesBefore = Internals::slideFramesShown(*bar);
        int framesAtEvent = -1;
        bar->OnSectionChanged = [&](TButtonBar* sender, int, int) {
            framesAtEvent = Internals::slideFramesShown(*sender);
        };

        QElapsedTimer clock;
        clock.start();
        bar->setActiveSection(3);
        QCOMPARE(framesAtEvent, framesBefore);
        if (softScroll) {
            QTRY_VERIFY(Internals::slideFramesShown(*bar) > framesBefore);
            QTRY_VERIFY(!Internals::isSliding(*bar));
            // A slide this tall is paced by the clock, not cut short.
            QVERIFY(clock.elapsed() >= TButtonBarSlide::kMilliseconds);
        } else {
            bar->repaint();
            QVERIFY(!Internals::isSliding(*bar));
            QCOMPARE(Internals::slideFramesShown(*bar), framesBefore);
        }
    }

    void refusedChange_leavesEverything_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<bool>("disable");
        QTest::addColumn<QStringList>("expected");
        const QStringList asked{QStringLiteral("before 2>3")};
        QTest::newRow("same section, setter") << "setter" << 2 << 2 << false << false << QStringList();
        QTest::newRow("same section, press") << "press" << 2 << 2 << false << false << QStringList();
        QTest::newRow("refused by OnBeforeSectionChange, setter")
            << "setter" << 2 << 3 << true << false << asked;
        QTest::newRow("refused by OnBeforeSectionChange, press")
            << "press" << 2 << 3 << true << false << asked;
        QTest::newRow("disabled, setter") << "setter" << 2 << 3 << false << true << asked;
        QTest::newRow("disabled, NextSection") << "next" << 2 << 3 << false << true << asked;
        QTest::newRow("disabled, press") << "press" << 2 << 3 << false << true << asked;
        QTest::newRow("NextSection on the last") << "next" << 4 << 4 << false << false << QStringList();
        QTest::newRow("PreviousSection on section 0")
            << "previous" << 0 << 0 << false << false << QStringList();
    }
    void refusedChange_leavesEverything() {
        QFETCH(QString, how);
        QFETCH(int, open);
        QFETCH(int, target);
        QFETCH(bool, refuse);
        QFETCH(bool, disable);
        QFETCH(QStringList, expected);
        auto bar = makeBar(5);
        bar->setActiveSection(open);
        QVERIFY(showAndPaint(*bar));
        bar->Sections()[target]->setEnabled(!disable);
        EventLog log(*bar);
        log.refuseChange = refuse;
        const int framesBefore = Internals::slideFramesShown(*bar);

        if (how == u"setter") bar->setActiveSection(target);
        if (how == u"next") QCOMPARE(bar->NextSection(), open);
        if (how == u"previous") QCOMPARE(bar->PreviousSection(), open);
        if (how == u"press") {
            press(*bar, buttonCentre(*bar, target));
            release(*bar, buttonCentre(*bar, target));
        }
        QCOMPARE(log.lines, expected);
        QCOMPARE(bar->ActiveSection(), open);
        bar->repaint();
        QVERIFY(!Internals::isSliding(*bar));
        QCOMPARE(Internals::slideFramesShown(*bar), framesBefore);
    }

    void singleSectionMode_opensSectionZeroSilently_data() {
        QTest::addColumn<bool>("slideFinished");
        QTest::newRow("after the slide to 7") << true;
        QTest::newRow("before the change to 7 is painted") << false;
    }
    void singleSectionMode_opensSectionZeroSilently() {
        QFETCH(bool, slideFinished);
        auto bar = makeBar(11);
        QVERIFY(showAndPaint(*bar));
        bar->setActiveSection(7);
        if (slideFinished) {
            bar->repaint();
            QTRY_VERIFY(!Internals::isSliding(*bar));
        }
        EventLog log(*bar);
        const int framesBefore = Internals::slideFramesShown(*bar);

        bar->setSingleSectionMode(true);
        QCOMPARE(bar->ActiveSection(), 0);
        bar->repaint();
        QVERIFY(!Internals::isSliding(*bar));
        QCOMPARE(Internals::slideFramesShown(*bar), framesBefore);
        bar->setSingleSectionMode(false);
        QCOMPARE(bar->ActiveSection(), 0);
        QVERIFY(log.lines.isEmpty());
    }

    void dragOverButtons_opensEachEnabledOne() {
        auto bar = makeBar(4);
        bar->Sections()[2]->setEnabled(false);
        QVERIFY(showAndPaint(*bar));
        // With section 0 open, sections 1..3 lie at the bottom, where they stay until each one opens.
        const QPoint over1 = buttonCentre(*bar, 1);
        const QPoint over2 = buttonCentre(*bar, 2);
        const QPoint over3 = buttonCentre(*bar, 3);
        EventLog log(*bar);

        press(*bar, buttonCentre(*bar, 0));
        for (const QPoint& pos : {over1, over2, over2 + QPoint(5, 1), over3})
            QTest::mouseMove(bar.get(), pos);
        release(*bar, over3);
        // The disabled section is asked about once, however long the pointer rests on it.
        const QStringList expected{u"before 0>1"_s,        u"change 0>1 open 0"_s, u"changed 1<0 open 1"_s,
                                   u"before 1>2"_s,        u"before 1>3"_s,        u"change 1>3 open 1"_s,
                                   u"changed 3<1 open 3"_s};
        QCOMPARE(log.lines, expected);
    }

    void itemRelease_clicksOnlyOnThePressedItem_data() {
        QTest::addColumn<QString>("releaseOn");
        QTest::addColumn<bool>("refuse");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("same item") << "same" << false << QStringList{u"item 2,1"_s, u"onclick b"_s};
        QTest::newRow("another item") << "other" << false << QStringList();
        QTest::newRow("the border beside it") << "beside" << false << QStringList();
        QTest::newRow("same item, press refused") << "same" << true << QStringList();
    }
    void itemRelease_clicksOnlyOnThePressedItem() {
        QFETCH(QString, releaseOn);
        QFETCH(bool, refuse);
        QFETCH(QStringList, expected);
        auto bar = makeBar(4);
        bar->setSoftScroll(false);
        bar->setActiveSection(2);
        for (const QString& caption : {u"a"_s, u"b"_s, u"c"_s})
            bar->AddItem(2, caption);
        QVERIFY(showAndPaint(*bar));
        EventLog log(*bar);
        log.refuseClick = refuse;
        log.watchItemClicks(*bar->Sections()[2]);

        press(*bar, itemCentre(*bar, 1));
        QCOMPARE(Internals::pressedItem(*bar), refuse ? -1 : 1);
        const QPoint target = releaseOn == u"same"    ? itemCentre(*bar, 1)
                              : releaseOn == u"other" ? itemCentre(*bar, 2)
                                                      : QPoint(10, itemCentre(*bar, 1).y());
        QTest::mouseMove(bar.get(), target);
        release(*bar, target);
        QCOMPARE(log.lines, expected);
        QCOMPARE(Internals::pressedItem(*bar), -1);
    }

    void addItem_withBadSectionIndex_returnsNull_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<bool>("added");
        QTest::newRow("first") << 0 << true;
        QTest::newRow("last") << 2 << true;
        QTest::newRow("the count") << 3 << false;
        QTest::newRow("beyond the count") << 8 << false;
    }
    void addItem_withBadSectionIndex_returnsNull() {
        QFETCH(int, section);
        QFETCH(bool, added);
        auto bar = makeBar(3);
        TButtonBarItem* item = bar->AddItem(section, QStringLiteral("x"));
        QCOMPARE(item != nullptr, added);
        int total = 0;
        for (int i = 0; i < bar->Sections().Count(); ++i)
            total += bar->Sections()[i]->Items().Count();
        QCOMPARE(total, added ? 1 : 0);
        if (added) QCOMPARE(bar->Sections()[section]->Items()[0], item);
    }

    void itemHint_showsForItsTimeOnlyWithTextAndShowHint_data() {
        QTest::addColumn<bool>("showHint");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<bool>("shown");
        QTest::newRow("ShowHint on, with text") << true << u"Китайский гороскоп"_s << true;
        QTest::newRow("ShowHint off") << false << u"Китайский гороскоп"_s << false;
        QTest::newRow("empty Hint") << true << QString() << false;
    }
    void itemHint_showsForItsTimeOnlyWithTextAndShowHint() {
        QFETCH(bool, showHint);
        QFETCH(QString, hint);
        QFETCH(bool, shown);
        auto bar = makeSingleItemBar(hint);
        bar->setSingleSectionMode(true);
        TButtonBarSection& section = *bar->Sections()[0];
        section.setShowHint(showHint);
        QVERIFY(showAndPaint(*bar));

        QElapsedTimer clock;
        clock.start();
        hover(*bar, itemCentre(*bar, 0));
        QCOMPARE(Internals::hotItem(*bar), 0);
        if (!shown) {
            QTest::qWait(3 * section.hintShowDelay());
            QVERIFY(!Internals::isHintVisible(section));
            QCOMPARE(Internals::hintWindow(section) != nullptr, showHint);
            return;
        }
        QVERIFY(!Internals::isHintVisible(section));
        QTRY_VERIFY_WITH_TIMEOUT(Internals::isHintVisible(section), 1000);
        const qint64 shownAt = clock.elapsed();
        QVERIFY(shownAt >= 50);
        QCOMPARE(qobject_cast<QLabel*>(Internals::hintWindow(section))->text(), hint);
        QTRY_VERIFY_WITH_TIMEOUT(!Internals::isHintVisible(section), 4000);
        // Polling sees each change up to one poll late, hence the margin below 2500.
        QVERIFY(clock.elapsed() - shownAt >= 2400);
    }

    void itemHint_isHidden_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("ShowHint turned off") << "off";
        QTest::newRow("pointer leaves the bar") << "leave";
        QTest::newRow("open section changes") << "change";
    }
    void itemHint_isHidden() {
        QFETCH(QString, how);
        auto bar = makeSingleItemBar(QStringLiteral("hint"));
        TButtonBarSection& section = *bar->Sections()[0];
        section.setShowHint(true);
        QVERIFY(showAndPaint(*bar));
        hover(*bar, itemCentre(*bar, 0));
        QTRY_VERIFY_WITH_TIMEOUT(Internals::isHintVisible(section), 1000);

        if (how == u"off") section.setShowHint(false);
        if (how == u"change") bar->setActiveSection(1);
        if (how == u"leave") {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(bar.get(), &leave);
        }
        QVERIFY(!Internals::isHintVisible(section));
        if (how == u"off") QCOMPARE(Internals::hintWindow(section), nullptr);
    }

    void itemScroll_startsOnlyWithRoomToMove_data() {
        QTest::addColumn<QString>("zone");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("starts");
        QTest::newRow("up arrow at 3") << "upArrow" << 3 << false;
        QTest::newRow("up arrow at 4") << "upArrow" << 4 << true;
        QTest::newRow("top strip at 4") << "topStrip" << 4 << true;
        QTest::newRow("down arrow at 0") << "downArrow" << 0 << true;
        QTest::newRow("down arrow one short of the end") << "downArrow" << 210 << true;
        QTest::newRow("bottom strip at the end") << "bottomStrip" << 211 << false;
    }
    void itemScroll_startsOnlyWithRoomToMove() {
        QFETCH(QString, zone);
        QFETCH(int, position);
        QFETCH(bool, starts);
        auto bar = makeOverflowingBar();
        bar->Sections()[0]->setItemScrollPosition(position);
        QVERIFY(showAndPaint(*bar));
        const TButtonBarGeometry g = Internals::barGeometry(*bar);
        QCOMPARE(g.scrollRange, 211);
        const QRect rect = zone == u"upArrow"     ? g.upArrow
                           : zone == u"topStrip"  ? g.topStrip
                           : zone == u"downArrow" ? g.downArrow
                                                  : g.bottomStrip;
        QVERIFY(!rect.isEmpty());

        press(*bar, rect.center());
        QCOMPARE(Internals::isItemScrollTimerActive(*bar), starts);
        if (starts) {
            QTRY_VERIFY(bar->Sections()[0]->itemScrollPosition() != position);
            // Moving off what started it stops the timer with the button still down.
            QTest::mouseMove(bar.get(), g.itemArea.center());
            QVERIFY(!Internals::isItemScrollTimerActive(*bar));
        }
        release(*bar, g.itemArea.center());
        QVERIFY(!Internals::isItemScrollTimerActive(*bar));
    }

    void itemScroll_delayTakesEffectAtNextStart_data() {
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("interval");
        QTest::newRow("35") << 35 << 35;
        QTest::newRow("65535") << 65535 << 65535;
        QTest::newRow("65536 + 20 wraps") << 65536 + 20 << 20;
        QTest::newRow("-1 wraps") << -1 << 65535;
    }
    void itemScroll_delayTakesEffectAtNextStart() {
        QFETCH(int, delay);
        QFETCH(int, interval);
        auto bar = makeOverflowingBar();
        QVERIFY(showAndPaint(*bar));
        const QPoint downArrow = Internals::barGeometry(*bar).downArrow.center();

        press(*bar, downArrow);
        QCOMPARE(Internals::itemScrollInterval(*bar), 20);
        bar->setScrollDelay(delay);
        QCOMPARE(Internals::itemScrollInterval(*bar), 20);
        release(*bar, downArrow);
        QVERIFY(!Internals::isItemScrollTimerActive(*bar));
        press(*bar, downArrow);
        QCOMPARE(Internals::itemScrollInterval(*bar), interval);
        release(*bar, downArrow);
    }

    void slidePlan_data() {
        QTest::addColumn<int>("oldSection");
        QTest::addColumn<int>("newSection");
        QTest::addColumn<int>("itemAreaBottom");
        QTest::addColumn<TButtonBarSlidePlan>("plan"); // down, T, B, d, H, step
        QTest::addColumn<int>("frames");
        QTest::addColumn<Copy>("first"); // {source row, target row, rows}
        QTest::addColumn<Copy>("last");
        // Buttons 25 pixels high.
        QTest::newRow("H 299, down") << 0 << 1 << 349 << Plan{true, 25, 349, 25, 299, 1} << 299
                                     << Copy{25, 323, 26} << Copy{25, 25, 324};
        QTest::newRow("H 300, down") << 0 << 1 << 350 << Plan{true, 25, 350, 25, 300, 2} << 150
                                     << Copy{25, 324, 26} << Copy{25, 26, 324};
        QTest::newRow("H 600, down") << 0 << 1 << 650 << Plan{true, 25, 650, 25, 600, 3} << 200
                                     << Copy{25, 624, 26} << Copy{25, 27, 623};
        QTest::newRow("H 600, up") << 1 << 0 << 625 << Plan{false, 25, 650, 25, 600, 3} << 200
                                   << Copy{624, 25, 26} << Copy{27, 25, 623};
        QTest::newRow("H 0, one frame")
            << 0 << 1 << 50 << Plan{true, 25, 50, 25, 0, 1} << 1 << Copy{25, 24, 26} << Copy{25, 24, 26};
        QTest::newRow("H negative, one frame")
            << 2 << 0 << 10 << Plan{false, 25, 60, 50, -15, 1} << 1 << Copy{9, 25, 51} << Copy{9, 25, 51};
        QTest::newRow("2 to 5 rises from the bottom") << 2 << 5 << 400 << Plan{true, 75, 400, 75, 250, 1}
                                                      << 250 << Copy{75, 324, 76} << Copy{75, 75, 325};
        QTest::newRow("5 to 2 descends below button 2") << 5 << 2 << 400 << Plan{false, 75, 475, 75, 325, 2}
                                                        << 163 << Copy{399, 75, 76} << Copy{75, 75, 400};
    }
    void slidePlan() {
        QFETCH(int, oldSection);
        QFETCH(int, newSection);
        QFETCH(int, itemAreaBottom);
        QFETCH(TButtonBarSlidePlan, plan);
        QFETCH(int, frames);
        QFETCH(Copy, first);
        QFETCH(Copy, last);
        const TButtonBarSlidePlan actual =
            TButtonBarSlidePlan::between(oldSection, newSection, 25, itemAreaBottom);
        QCOMPARE(actual.movingDown, plan.movingDown);
        QCOMPARE(actual.top, plan.top);
        QCOMPARE(actual.bottom, plan.bottom);
        QCOMPARE(actual.shift, plan.shift);
        QCOMPARE(actual.travel, plan.travel);
        QCOMPARE(actual.step, plan.step);
        QCOMPARE(actual.frameCount(), frames);
        const auto same = [](const Copy& a, const Copy& b) {
            return a.sourceTop == b.sourceTop && a.targetTop == b.targetTop && a.rows == b.rows;
        };
        QVERIFY(same(actual.frame(0), first));
        QVERIFY(same(actual.frame(frames - 1), last));
        for (int i = 1; i < frames; ++i)
            QCOMPARE(actual.frame(i).rows - actual.frame(i - 1).rows, plan.step);
    }

    void layout_data() {
        QTest::addColumn<int>("open");
        QTest::addColumn<bool>("single");
        QTest::addColumn<int>("buttonSize");
        QTest::addColumn<QList<QRect>>("buttons");
        QTest::addColumn<QRect>("itemArea");
        // Four sections; inner rectangle (2,2)-(198,298); borders of 20 plus the bevel width.
        const auto row = [](int top, int height) { return QRect(2, top, 196, height); };
        QTest::newRow("first open") << 0 << false << 20
                                    << QList{row(2, 20), row(238, 20), row(258, 20), row(278, 20)}
                                    << QRect(23, 23, 154, 214);
        QTest::newRow("second open") << 1 << false << 20
                                     << QList{row(2, 20), row(22, 20), row(258, 20), row(278, 20)}
                                     << QRect(23, 43, 154, 214);
        QTest::newRow("last open") << 3 << false << 20
                                   << QList{row(2, 20), row(22, 20), row(42, 20), row(62, 20)}
                                   << QRect(23, 83, 154, 214);
        QTest::newRow("buttons of 25")
            << 2 << false << 25 << QList{row(2, 25), row(27, 25), row(52, 25), row(273, 25)}
            << QRect(23, 78, 154, 194);
        QTest::newRow("single section, negative size")
            << 0 << true << -20 << QList<QRect>(4) << QRect(23, 3, 154, 294);
    }
    void layout() {
        QFETCH(int, open);
        QFETCH(bool, single);
        QFETCH(int, buttonSize);
        QFETCH(QList<QRect>, buttons);
        QFETCH(QRect, itemArea);
        auto bar = makeBar(4);
        bar->setSectionBtnSize(buttonSize);
        bar->setSmallItemHeight(30);
        bar->setActiveSection(open);
        bar->setSingleSectionMode(single);
        bar->Sections()[open]->setUseSmallImages(true);
        for (int i = 0; i < 3; ++i)
            bar->AddItem(open, QString::number(i));
        bar->Sections()[open]->setItemScrollPosition(40); // the list fits, so it stays at the top

        const TButtonBarGeometry g = Internals::barGeometry(*bar);
        QVERIFY(g.scrollRange == 0 && g.scrollPosition == 0 && g.upArrow.isEmpty() && g.downArrow.isEmpty());
        QCOMPARE(g.inner, QRect(2, 2, 196, 296));
        for (int b = 0; b < 4; ++b) {
            if (buttons[b].isNull()) {
                QVERIFY(g.buttons[b].isEmpty());
                continue;
            }
            QCOMPARE(g.buttons[b], buttons[b]);
            QCOMPARE(Internals::sectionAt(*bar, buttons[b].center()), b);
        }
        QCOMPARE(g.itemArea, itemArea);
        QCOMPARE(g.items.size(), 3);
        QCOMPARE(g.items[1], QRect(itemArea.left(), itemArea.top() + 30, itemArea.width(), 30));
        QCOMPARE(Internals::itemAt(*bar, g.items[1].center()), 1);
        QCOMPARE(Internals::itemAt(*bar, QPoint(itemArea.left() - 1, g.items[1].center().y())), -1);
    }

    void background_runsFromEdgeColourToCentreColour() {
        auto bar = makeBar(0);
        bar->setBevelInner(TButtonBar::Bevel::None);
        bar->setBevelOuter(TButtonBar::Bevel::None);
        bar->setGradient(Qt::red, Qt::blue, 2);
        const QImage picture = bar->grab().toImage();
        QCOMPARE(picture.pixelColor(5, 150), QColor(Qt::red));
        QCOMPARE(picture.pixelColor(100, 150), QColor(Qt::blue));
    }

    void keyboard_upDownSkipDisabledSections_data() {
        QTest::addColumn<int>("open");
        QTest::addColumn<int>("disabled");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("opened");
        QTest::newRow("Down skips a disabled section") << 0 << 1 << int(Qt::Key_Down) << 2;
        QTest::newRow("Up skips a disabled section") << 3 << 2 << int(Qt::Key_Up) << 1;
        QTest::newRow("Down on the last") << 3 << 1 << int(Qt::Key_Down) << 3;
        QTest::newRow("Up with only disabled above") << 1 << 0 << int(Qt::Key_Up) << 1;
    }
    void keyboard_upDownSkipDisabledSections() {
        QFETCH(int, open);
        QFETCH(int, disabled);
        QFETCH(int, key);
        QFETCH(int, opened);
        auto bar = makeBar(4);
        bar->setActiveSection(open);
        bar->Sections()[disabled]->setEnabled(false);
        QCOMPARE(bar->focusPolicy(), Qt::StrongFocus);
        QTest::keyClick(bar.get(), Qt::Key(key));
        QCOMPARE(bar->ActiveSection(), opened);
    }

    void keyboard_enterClicksTheItem_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QStringList>("expected");
        const QStringList clicked{u"item 0,0"_s, u"onclick Китайский гороскоп"_s};
        QTest::newRow("Return") << int(Qt::Key_Return) << true << clicked;
        QTest::newRow("Enter") << int(Qt::Key_Enter) << true << clicked;
        QTest::newRow("Space") << int(Qt::Key_Space) << true << clicked;
        QTest::newRow("disabled item") << int(Qt::Key_Return) << false << QStringList();
    }
    void keyboard_enterClicksTheItem() {
        QFETCH(int, key);
        QFETCH(bool, enabled);
        QFETCH(QStringList, expected);
        auto bar = makeSingleItemBar(QString());
        bar->setSingleSectionMode(true);
        bar->Sections()[0]->Items()[0]->setEnabled(enabled);
        EventLog log(*bar);
        log.watchItemClicks(*bar->Sections()[0]);
        QTest::keyClick(bar.get(), Qt::Key(key));
        QCOMPARE(log.lines, expected);
    }

    void accessibility_childrenAreButtonsThenItems_pressActsLikeTheMouse() {
        auto bar = makeBar(3);
        bar->Sections()[2]->setEnabled(false);
        bar->AddItem(0, QStringLiteral("first"))->setHint(QStringLiteral("first hint"));
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(bar.get());
        QVERIFY(iface);
        QStringList names;
        for (int i = 0; i < iface->childCount(); ++i) {
            QCOMPARE(iface->indexOfChild(iface->child(i)), i);
            names << iface->child(i)->text(QAccessible::Name);
        }
        QCOMPARE(names, (QStringList{u"S0"_s, u"S1"_s, u"S2"_s, u"first"_s}));
        QCOMPARE(iface->child(0)->role(), QAccessible::PageTab);
        QVERIFY(iface->child(0)->state().selected);
        QVERIFY(!iface->child(1)->state().disabled);
        QVERIFY(iface->child(2)->state().disabled);
        QCOMPARE(iface->child(3)->text(QAccessible::Description), u"first hint"_s);

        QAccessibleActionInterface* tab = iface->child(1)->actionInterface();
        QVERIFY(tab && tab->actionNames().contains(QAccessibleActionInterface::pressAction()));
        tab->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(bar->ActiveSection(), 1);
        QCOMPARE(iface->childCount(), 3); // section 1 has no items
        bar->setActiveSection(0);
        EventLog log(*bar);
        log.watchItemClicks(*bar->Sections()[0]);
        iface->child(3)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(log.lines, (QStringList{u"item 0,0"_s, u"onclick first"_s}));

        // Without section buttons only the items are left.
        bar->setSingleSectionMode(true);
        QCOMPARE(iface->childCount(), 1);
        QCOMPARE(iface->child(0)->text(QAccessible::Name), u"first"_s);
    }
};

QTEST_MAIN(TestButtonBar)
#include "tst_buttonbar.moc"
