#include "whoim.h"

#include "colours.h"
#include "core/caption.h"
#include "core/catalogue.h"
#include "core/datetext.h"
#include "core/livesettings.h"
#include "core/signs.h"
#include "designlayout.h"
#include "icons.h"
#include "main.h"
#include "services.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QValidator>
#include <QWidgetAction>

using namespace Qt::Literals::StringLiterals;
using solvenna::ui::connectGuarded;

solvenna::Date BirthDate = 0;
QString PersonName;
TForm2* Form2 = nullptr;

namespace {

// The "Имена" strip at the top of the name box's menu.
class MenuCaption : public QWidget {
public:
    explicit MenuCaption(const QString& text, QWidget* parent = nullptr) : QWidget(parent), m_text(text) {
        QFont f(u"Arial"_s);
        f.setBold(true);
        f.setItalic(true);
        setFont(f);
        setAccessibleName(text);
    }
    // Measured only when the menu first opens: looking the font up is not free at start-up.
    QSize sizeHint() const override {
        return {fontMetrics().horizontalAdvance(m_text) + 60, fontMetrics().height() + 6};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QLinearGradient gradient(rect().topLeft(), rect().topRight());
        gradient.setColorAt(0, Qt::white);
        gradient.setColorAt(1, QColor(0, 60, 200));
        p.fillRect(rect(), gradient);
        p.setPen(Qt::white);
        p.drawText(rect().adjusted(0, 0, -8, 0), Qt::AlignVCenter | Qt::AlignRight, m_text);
    }

private:
    QString m_text;
};

// Refuses a name longer than the store keeps as a whole, so that a paste is never silently cut.
class NameLengthValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return input.size() <= solvenna::NameStore::kMaxNameLength ? Acceptable : Invalid;
    }
};

void sayNameTooLong() {
    solvenna::ui::showMessage(u"Имя может быть не длиннее %1 знаков: лишний текст не принят."_s.arg(
        solvenna::NameStore::kMaxNameLength));
}

QLabel* boldNavyLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    // Colours by palette rather than style sheet: a style sheet costs every label its own style.
    solvenna::ui::setDesignedTextColour(label, QColor(0, 0, 128));
    return label;
}

} // namespace

void configureTypedNameBox(QComboBox* box) {
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    // No completion that rewrites the text, and no match with a listed name taken as a pick when typing
    // ends: the box would then fill the dialog and change the name's letter case.
    box->setCompleter(nullptr);
    QObject::disconnect(box->lineEdit(), &QLineEdit::editingFinished, box, nullptr);
    box->lineEdit()->setValidator(new NameLengthValidator(box));
    // A long paste is refused twice over (the line edit's own limit, then the validator): the box says so
    // once, after the line edit has put its text back.
    QObject::connect(box->lineEdit(), &QLineEdit::inputRejected, box, [box] {
        static constexpr char kSaying[] = "solvennaSayingNameTooLong";
        if (box->property(kSaying).toBool()) return;
        box->setProperty(kSaying, true);
        QTimer::singleShot(0, box, solvenna::ui::guardedHandler(box, [box] {
                               box->setProperty(kSaying, false);
                               sayNameTooLong();
                           }));
    });
}

// --- The date edit ---------------------------------------------------------------------------------------

namespace {
const QLocale kRussian(QLocale::Russian, QLocale::Russia);
const QString kDisplayFormat = u"d   MMMM yyyy"_s;

// What typed text means: in the order of the user's locale first; text with a month name may also come
// in the order the field itself shows ("15   августа 1975"), whatever the locale.
solvenna::TypedDate readField(const QString& text, int currentYear) {
    using solvenna::DatePart;
    const QLocale locale;
    solvenna::TypedDate read =
        solvenna::readTypedDate(text, solvenna::datePartOrder(locale), currentYear, locale);
    const bool named = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
    if (read.state != solvenna::TypedDate::State::Valid && named) {
        const solvenna::TypedDate shown = solvenna::readTypedDate(
            text, {DatePart::Day, DatePart::Month, DatePart::Year}, currentYear, locale);
        if (shown.state == solvenna::TypedDate::State::Valid) read = shown;
    }
    return read;
}

// An example of a date typed in the user's order, for the message on text that is no date.
QString typingExample() {
    return QLocale().toString(QDate(1975, 8, 15), solvenna::shortDateFormat(QLocale()));
}
} // namespace

TDateEdit::TDateEdit(QWidget* parent) : QWidget(parent) {
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(u"Calendar1Edit"_s);
    m_edit->setAccessibleName(u"Дата рождения"_s);
    m_edit->installEventFilter(this);

    m_drop = new QToolButton(this);
    m_drop->setObjectName(u"Calendar1DropDown"_s);
    m_drop->setArrowType(Qt::DownArrow);
    m_drop->setAccessibleName(u"Календарь"_s);
    m_drop->setToolTip(u"Выбрать дату в календаре (Alt+Down)"_s);
    m_drop->setFocusPolicy(Qt::NoFocus);

    m_today = new QToolButton(this);
    m_today->setObjectName(u"Calendar1Today"_s);
    m_today->setText(u"Сегодня"_s);
    m_today->setToolTip(u"Поставить сегодняшнюю дату"_s);
    m_today->setAccessibleName(u"Сегодня"_s);
    m_today->setFocusPolicy(Qt::TabFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_drop);
    layout->addSpacing(4);
    layout->addWidget(m_today);
    setFocusProxy(m_edit);

    // editingFinished comes on Enter and when the focus leaves, but not when the calendar opens.
    connect(m_edit, &QLineEdit::editingFinished, this, &TDateEdit::commit);
    connect(m_edit, &QLineEdit::textEdited, this, [this](const QString& text) {
        // Marked at once when no further typing can make a date of it; unmarked as soon as it is mended.
        const auto state = readField(text, today().year()).state;
        if (state == solvenna::TypedDate::State::Invalid)
            setMarked(true);
        else if (state != solvenna::TypedDate::State::Incomplete)
            setMarked(false);
    });
    connect(m_drop, &QToolButton::clicked, this, &TDateEdit::showCalendar);
    connect(m_today, &QToolButton::clicked, this, [this] { setDate(today()); });
}

solvenna::Date TDateEdit::value() const {
    return m_date.isValid() ? solvenna::fromQDate(m_date) : 0.0;
}

bool TDateEdit::hasDate() const {
    return m_date.isValid();
}

void TDateEdit::setValue(solvenna::Date date) {
    const QDate d = solvenna::toQDate(date);
    setDate(d.isValid() && d.year() >= 1 ? d : QDate());
}

void TDateEdit::clearDate() {
    setDate(QDate());
}

void TDateEdit::setDate(const QDate& date) {
    const bool changed = date != m_date;
    m_date = date;
    m_edit->setText(date.isValid() ? kRussian.toString(date, kDisplayFormat) : QString());
    setMarked(false);
    if (changed) Q_EMIT valueChanged(value());
}

void TDateEdit::commit() {
    const QString text = m_edit->text();
    if (m_date.isValid() && text == kRussian.toString(m_date, kDisplayFormat)) return setMarked(false);
    const solvenna::TypedDate read = readField(text, today().year());
    switch (read.state) {
    case solvenna::TypedDate::State::Valid:
        return setDate(read.date);
    case solvenna::TypedDate::State::Empty:
        return setDate(QDate());
    default:
        break;
    }
    // Not a date: the text stays for the person to mend, and the field reads as holding none.
    const bool changed = m_date.isValid();
    m_date = QDate();
    setMarked(true);
    if (changed) Q_EMIT valueChanged(value());
}

void TDateEdit::setMarked(bool marked) {
    if (marked == m_marked) return;
    m_marked = marked;
    // A style sheet only while marked: styling the field always would cost every start.
    m_edit->setStyleSheet(marked ? u"QLineEdit { border: 2px solid #d00000; border-radius: 2px; }"_s
                                 : QString());
    m_edit->setAccessibleDescription(marked ? u"Это не дата"_s : QString());
    // The hint says so too, above the field's own hint.
    if (marked) {
        m_hint = m_edit->toolTip();
        m_edit->setToolTip(
            u"Такой даты нет. Введите число, месяц и год, например %1.\n\n"_s.arg(typingExample()) + m_hint);
    } else {
        m_edit->setToolTip(m_hint);
    }
}

void TDateEdit::showCalendar() {
    commit();
    if (!m_popup) {
        m_popup = new QWidget(this, Qt::Popup);
        m_popup->setObjectName(u"Calendar1Popup"_s);
        m_calendar = new QCalendarWidget(m_popup);
        m_calendar->setObjectName(u"Calendar1Calendar"_s);
        m_calendar->setLocale(kRussian);
        m_calendar->setFirstDayOfWeek(Qt::Monday);
        m_calendar->setGridVisible(true);
        auto* layout = new QHBoxLayout(m_popup);
        layout->setContentsMargins(1, 1, 1, 1);
        layout->addWidget(m_calendar);
        connect(m_calendar, &QCalendarWidget::activated, this, [this](const QDate& date) {
            m_popup->hide();
            setDate(date);
            m_edit->setFocus(Qt::PopupFocusReason);
        });
        connect(m_calendar, &QCalendarWidget::clicked, m_calendar, &QCalendarWidget::activated);
    }
    // An empty field opens on the current month.
    const QDate shown = m_date.isValid() ? m_date : today();
    m_calendar->setSelectedDate(shown);
    m_calendar->setCurrentPage(shown.year(), shown.month());
    m_popup->adjustSize();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen* screen = this->screen()) {
        const QRect room = screen->availableGeometry();
        if (at.y() + m_popup->height() > room.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - m_popup->height());
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - m_popup->width())));
    }
    m_popup->move(at);
    m_popup->show();
    m_calendar->setFocus(Qt::PopupFocusReason);
}

void TDateEdit::stepPartAtCursor(int steps) {
    commit();
    if (!m_date.isValid()) return setDate(today()); // an empty field starts from today, not from year 1
    // The shown text is "d   MMMM yyyy": the part under the cursor is stepped.
    const QString text = m_edit->text();
    const int cursor = m_edit->cursorPosition();
    const qsizetype firstBlank = text.indexOf(u' ');
    const qsizetype lastBlank = text.lastIndexOf(u' ');
    QDate next;
    if (cursor <= firstBlank)
        next = m_date.addDays(steps);
    else if (cursor > lastBlank)
        next = m_date.addYears(steps);
    else
        next = m_date.addMonths(steps);
    if (!next.isValid() || next.year() < 1 || next.year() > 9999) return;
    setDate(next);
    // Keep the cursor in the same part.
    const QString shown = m_edit->text();
    if (cursor > lastBlank)
        m_edit->setCursorPosition(int(shown.size()));
    else if (cursor > firstBlank)
        m_edit->setCursorPosition(int(shown.indexOf(u' ') + 3));
    else
        m_edit->setCursorPosition(0);
}

bool TDateEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool alt = key->modifiers() & Qt::AltModifier;
        if ((key->key() == Qt::Key_Down && alt) || key->key() == Qt::Key_F4) {
            showCalendar();
            return true;
        }
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !alt) {
            stepPartAtCursor(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- The dialog
// ---------------------------------------------------------------------------------------------

TForm2::TForm2(QWidget* parent, const QString& programFolder)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(u"Form2"_s);
    setWindowTitle(u"Личные данные"_s);

    XPLabel1 = boldNavyLabel(this, u"XPLabel1"_s, u"Выберите Ваше имя из списка или введите его:"_s);

    XPLabel3 = boldNavyLabel(this, u"XPLabel3"_s, u"Дата Вашего рождения:"_s);
    Calendar1 = new TDateEdit(this);
    Calendar1->setObjectName(u"Calendar1"_s);
    Calendar1->today = [this] { return today(); };
    Calendar1->editor()->setToolTip(u"Введите дату своего рождения: число, месяц и год. Для этого "
                                    u"щелкните\nв области числа и введите его с "
                                    "помощью цифровых клавиш. \nМесяц и год вводятся так же. Если год имеет "
                                    "всего две цифры, \nвведите туда "
                                    "последние две цифры Вашего года рождения."_s);
    XPLabel3->setBuddy(Calendar1->editor());

    XPLabel4 = boldNavyLabel(this, u"XPLabel4"_s, u"Совет:"_s);
    Label1 =
        new QLabel(u"Если Вы хотите сразу вывести общую информацию (знак Зодиака и другие данные), отметьте "
                   "флажок \"Вывести общую информацию\". \nТакже можно вывести желаемый гороскоп. Для этого "
                   "отметьте флажок\n\"Вывести гороскоп\", затем выберите нужный гороскоп из списка."_s,
                   this);
    Label1->setObjectName(u"Label1"_s);
    Label1->setWordWrap(true);
    solvenna::ui::setDesignedTextColour(Label1, QColor(0, 0, 255));
    // The advice was laid out for a small 8-point face; at that size it keeps its own line breaks.
    QFont adviceFont = Label1->font();
    adviceFont.setUnderline(true);
    // A desktop may give the application font in pixels, which has no point size to compare.
    if (adviceFont.pointSizeF() > 0)
        adviceFont.setPointSizeF(std::min(adviceFont.pointSizeF(), 8.0));
    else
        adviceFont.setPixelSize(std::min(adviceFont.pixelSize(), 11)); // 8 points at 96 dots per inch
    Label1->setFont(adviceFont);

    XPLabel2 = boldNavyLabel(this, u"XPLabel2"_s, u"После нажатия на кнопку \"Готово\":"_s);
    Check1 = new QCheckBox(u"Вывести общую информацию"_s, this);
    Check1->setObjectName(u"Check1"_s);
    Check1->setToolTip(
        u"Вывести общую информацию, например \nчисло рождения, знак Зодиака \nи другую информацию. "
        "Для этого \nотметьте этот флажок."_s);
    Check2 = new QCheckBox(u"Вывести гороскоп:"_s, this);
    Check2->setObjectName(u"Check2"_s);
    Check2->setToolTip(
        u"Выберите гороскоп, который Вы хотите просмотреть. \nДля этого отметьте этот флажок, затем "
        "щелкните по списку, \nчтобы увидеть все гороскопы."_s);

    HorList = new QComboBox(this);
    HorList->setObjectName(u"HorList"_s);
    for (int i = 0; i < solvenna::kSystemCount; ++i)
        HorList->addItem(solvenna::systemMenuName(solvenna::HoroscopeSystem(i)));
    HorList->setAccessibleName(u"Гороскоп"_s);
    HorList->setEnabled(false);

    Label4 = new QLabel(u"Ваш знак зодиака"_s, this);
    Label4->setObjectName(u"Label4"_s);
    Label4->hide();

    Button1 = new QPushButton(u"Готово"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setToolTip(u"Закрывает окно и выводит выбранные \nВами гороскопы или общую информацию."_s);
    Button1->setDefault(true);
    Button1->setAutoDefault(true);

    // Created last so that it comes last in the keyboard order; the date edit comes first.
    edit1 = new QComboBox(this);
    edit1->setObjectName(u"edit1"_s);
    configureTypedNameBox(edit1);
    edit1->setToolTip(u"Если Вы уже однажды вводили свое имя, \nпросто выберите его из списка!"_s);
    edit1->setAccessibleName(u"Имя"_s);
    XPLabel1->setBuddy(edit1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(u"PopupMenu1"_s);
    auto* caption = new QWidgetAction(PopupMenu1);
    caption->setDefaultWidget(new MenuCaption(u"Имена"_s));
    caption->setEnabled(false);
    PopupMenu1->addAction(caption);
    N2 = PopupMenu1->addAction(solvenna::ui::programIcon(u"10"_s), u"Удалить текущее имя"_s);
    N2->setObjectName(u"N2"_s);
    N1 = PopupMenu1->addAction(solvenna::ui::programIcon(u"3"_s), u"Очистить список"_s);
    N1->setObjectName(u"N1"_s);
    connectGuarded(N2, &QAction::triggered, this, &TForm2::N2Click);
    connectGuarded(N1, &QAction::triggered, this, &TForm2::N1Click);
    connectGuarded(PopupMenu1, &QMenu::aboutToShow, this, &TForm2::PopupMenu1BeforePopUp);
    // "Имена" is the name box's only menu: by the mouse anywhere on the box (its arrow too), by the Menu
    // key and by Shift+F10. Qt's own edit menu would be English and offer nothing this box needs.
    edit1->installEventFilter(this);
    edit1->lineEdit()->installEventFilter(this);

    // The date edit is designed 210 pixels wide without its "Сегодня" button; the advice may need more
    // room than designed with today's fonts, and then what follows it moves down.
    using solvenna::ui::kOwnSize;
    const int grown = solvenna::ui::placeAsDesigned({
        // control, x, y, width, height
        {XPLabel1, 24, 16},
        {edit1, 24, 38, 281, kOwnSize},
        {XPLabel3, 24, 64},
        {Calendar1, 23, 85, 210 + Calendar1->todayButton()->sizeHint().width() + 4,
         Calendar1->editor()->sizeHint().height()},
        {XPLabel4, 24, 112},
        {Label1, 24, 128, 430, 52},
        {XPLabel2, 24, 184},
        {Check1, 40, 203},
        {Check2, 40, 224},
        {HorList, 159, 222, 169, kOwnSize, Check2, 7},
        {Label4, 16, 256},
        {Button1, 167, 256, 143, 32},
    });
    // The window cannot change its size.
    setFixedSize(477, 300 + grown);

    setTabOrder(Calendar1->editor(), Calendar1->todayButton());
    setTabOrder(Calendar1->todayButton(), Check1);
    setTabOrder(Check1, Check2);
    setTabOrder(Check2, HorList);
    setTabOrder(HorList, Button1);
    setTabOrder(Button1, edit1);

    connectGuarded(Calendar1, &TDateEdit::valueChanged, this, &TForm2::Calendar1Change);
    connectGuarded(Check2, &QCheckBox::toggled, this, &TForm2::Check2Click);
    connectGuarded(edit1, &QComboBox::activated, this, &TForm2::edit1Click);
    // The dialog goes once the handler is done, also when it failed, so that an error it reports stands
    // over the dialog: the slots run in the order they were connected.
    connectGuarded(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(Button1, &QPushButton::clicked, this, [this] {
        if (!m_keepOpen) reject();
    });

    const QString folder = programFolder.isEmpty()
                               ? solvenna::folderOfProgram(QCoreApplication::applicationFilePath())
                               : programFolder;
    m_names = std::make_unique<solvenna::NameStore>(folder);
    FormCreate();
}

TForm2::~TForm2() {
    if (Form2 == this) Form2 = nullptr;
}

void TForm2::FormCreate() {
    HorList->setCurrentIndex(0);
    BirthDate = solvenna::kNoBirthDate;
    PersonName.clear();
    LoadNames();
    Calendar1->setFocus();
}

void TForm2::LoadNames() {
    edit1->clear();
    edit1->addItems(m_names->names());
    edit1->setCurrentIndex(-1);
    edit1->setEditText(QString());
}

void TForm2::Calendar1Change() {
    const std::int32_t sign = GetSign(Calendar1->value());
    if (const QString title = solvenna::zodiacTitle(sign); !title.isEmpty()) Label4->setText(title);
}

void TForm2::Check2Click() {
    HorList->setEnabled(Check2->isChecked());
}

void TForm2::edit1Click() {
    const QString name = edit1->currentText();
    const solvenna::PersonEntry entry = m_names->read(name, solvenna::fromQDate(today()));
    Calendar1->setValue(entry.date);
    Check1->setChecked(entry.showMain);
    Check2->setChecked(entry.showHoroscop);
    if (Check2->isChecked()) {
        const int type = entry.horoscopType;
        HorList->setCurrentIndex(type >= 0 && type < solvenna::kSystemCount ? type : -1);
    }
}

void TForm2::Button1Click() {
    // What was typed into the date edit counts even when Enter was pressed in it.
    Calendar1->commit();
    // Text that is no date is left to be mended: nothing is taken from the dialog yet.
    m_keepOpen = !Calendar1->textIsDate();
    if (m_keepOpen) {
        Calendar1->setFocus();
        if (Form1) Form1->showNotice(u"Такой даты нет: исправьте дату рождения. Имя не сохранено."_s);
        return;
    }
    PersonName = edit1->currentText();
    BirthDate = Calendar1->value();
    if (Check1->isChecked() && Form1) Form1->N4Click();

    if (Form1) {
        Form1->setWindowTitle(
            solvenna::personCaption(PersonName, solvenna::dateToText(BirthDate), Label4->text()));

        using solvenna::HoroscopeSystem;
        if (Check2->isChecked()) {
            const int chosen = HorList->currentIndex();
            if (chosen >= 0 && chosen < solvenna::kSystemCount)
                Form1->showSystem(HoroscopeSystem(chosen), this);
        } else {
            for (int i = 0; i < solvenna::kSystemCount; ++i)
                if (Form1->systemItem(HoroscopeSystem(i))->isChecked())
                    Form1->showSystem(HoroscopeSystem(i), this);
        }
        // No horoscope asked for yet: the start page shows this person.
        Form1->showStartPage();
    }

    const QString name = edit1->currentText();
    // Names are kept only while the settings in force say so.
    const solvenna::LiveSettings* settings = Form1 ? Form1->settings() : nullptr;
    if (settings && settings->values().storeNames && !name.isEmpty()) {
        // An empty field gives day 0, which is shown as the person's date but was never a birth date:
        // stored, it would come back as a real one at the next pick.
        if (!Calendar1->hasDate()) {
            if (Form1) Form1->showNotice(u"Дата рождения не введена: имя не сохранено."_s);
            return;
        }
        solvenna::PersonEntry entry;
        entry.date = Calendar1->value();
        entry.showMain = Check1->isChecked();
        entry.showHoroscop = Check2->isChecked();
        entry.horoscopType = HorList->currentIndex();
        m_names->write(name, entry);
        Q_EMIT namesChanged();
    }
}

void TForm2::openStoredName(const QString& name) {
    const int listed = edit1->findText(name, Qt::MatchFixedString);
    if (listed >= 0)
        edit1->setCurrentIndex(listed);
    else
        edit1->setEditText(name);
    edit1Click();
    Button1Click();
}

void TForm2::removeStoredNames(const QStringList& names) {
    m_names->removeAll(names);
    for (const QString& name : names)
        if (const int listed = edit1->findText(name, Qt::MatchFixedString); listed >= 0)
            edit1->removeItem(listed);
    Q_EMIT namesChanged();
}

void TForm2::openNamesMenu(const QPoint& globalPos) {
    if (!PopupMenu1->isVisible()) PopupMenu1->popup(globalPos);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit1 || watched == edit1->lineEdit()) {
        const QPoint belowBox = edit1->mapToGlobal(QPoint(0, edit1->height()));
        if (event->type() == QEvent::ContextMenu) {
            const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
            openNamesMenu(menuEvent->reason() == QContextMenuEvent::Mouse ? menuEvent->globalPos()
                                                                          : belowBox);
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // Qt on X11 turns neither key into a context menu event by itself.
            if (key->key() == Qt::Key_Menu ||
                (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier)) {
                openNamesMenu(belowBox);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm2::PopupMenu1BeforePopUp() {
    N2->setEnabled(!edit1->currentText().isEmpty());
    N1->setEnabled(edit1->count() > 0);
}

void TForm2::N2Click() {
    const QString name = edit1->currentText();
    // Empty the box whatever happens below.
    const auto emptyBox = qScopeGuard([this] { edit1->setEditText(QString()); });
    if (!m_names->contains(name)) return;
    // The list entry that names this person goes, not whichever entry happens to be selected.
    const int listed = edit1->findText(name, Qt::MatchFixedString);
    m_names->remove(name);
    if (listed >= 0) edit1->removeItem(listed);
    Q_EMIT namesChanged();
}

void TForm2::N1Click() {
    edit1->setEditText(QString());
    edit1->clear();
    m_names->clear();
    Q_EMIT namesChanged();
}
