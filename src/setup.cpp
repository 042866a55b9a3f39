#include "setup.h"

#include "colours.h"
#include "core/catalogue.h"
#include "core/livesettings.h"
#include "core/pagezoom.h"
#include "core/settings.h"
#include "designlayout.h"
#include "main.h"
#include "services.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

using namespace Qt::Literals::StringLiterals;
using solvenna::LiveSettings;
using solvenna::Settings;
using solvenna::ui::connectGuarded;

TSetupFrm* SetupFrm = nullptr;

TSpinEdit::TSpinEdit(QWidget* parent) : QSpinBox(parent) {
    setRange(kLowest, kHighest);
    setSingleStep(5);
    setSuffix(u" мсек"_s);
    setKeyboardTracking(true);
    // Sized for the values it keeps, not for the wider range it accepts while typing.
    m_hint = QSpinBox::sizeHint();
    setRange(-99999, 99999);
}

void TSpinEdit::setValue(int value) {
    QSpinBox::setValue(std::clamp(value, kLowest, kHighest));
}

void TSpinEdit::keepWithinBounds() {
    interpretText();
    setValue(value());
}

void TSpinEdit::stepBy(int steps) {
    interpretText();
    setValue(value() + steps * singleStep());
    selectAll();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
    StepEnabled enabled = StepNone;
    if (value() < kHighest) enabled |= StepUpEnabled;
    if (value() > kLowest) enabled |= StepDownEnabled;
    return enabled;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
    // Whatever was typed, the box leaves with a value within its range.
    keepWithinBounds();
    QSpinBox::focusOutEvent(event);
}

namespace {
QCheckBox* checkBox(QWidget* parent, const QString& name, const QString& caption, const QString& hint) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setToolTip(hint);
    return box;
}

// A group in the look of the time: a rounded blue frame with the title in the same blue set into its top
// line. Painted here, as a style sheet would give the box (and the start-up) a style of its own.
class FramedGroup : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override {
        // On a dark palette the same blue, lighter, so the frame and its title still read.
        const QColor blue =
            solvenna::ui::readableColour(QColor(0, 83, 208), palette().color(QPalette::Window));
        const QFontMetrics metrics = fontMetrics();
        const int titleHeight = metrics.height();
        const int frameTop = std::min(7, titleHeight / 2);
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(blue);
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, frameTop + 0.5, -0.5, -0.5), 4, 4);
        const QRect titleArea(8, 0, metrics.horizontalAdvance(title()) + 6, titleHeight);
        p.fillRect(titleArea, palette().color(QPalette::Window));
        p.setPen(isEnabled() ? blue : palette().color(QPalette::Disabled, QPalette::WindowText));
        p.drawText(titleArea, Qt::AlignCenter | Qt::TextShowMnemonic, title());
    }
};
} // namespace

TSetupFrm::TSetupFrm(TForm1* mainWindow, const QString& programFolder, QWidget* parent)
    : QDialog(parent ? parent : mainWindow,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_main(mainWindow) {
    setObjectName(u"SetupFrm"_s);
    setWindowTitle(u"Настройки"_s);
    setModal(false);

    XPGroupBox1 = new FramedGroup(u"Основные"_s, this);
    XPGroupBox1->setObjectName(u"XPGroupBox1"_s);

    Check1 = checkBox(XPGroupBox1, u"Check1"_s, u"Запоминать все введенные имена"_s,
                      u"Запоминать все введенные имена для удобного ввода,\nчтобы выбирать их из списка. "
                      "Также запоминается \nдата рождения и выбранный гороскоп."_s);
    Check2 = checkBox(XPGroupBox1, u"Check2"_s, u"Показывать подсказки"_s,
                      u"Показывать подсказки \nв панели гороскопов."_s);
    Check3 = checkBox(XPGroupBox1, u"Check3"_s, u"Плавная прокрутка"_s,
                      u"Включение/отключение плавной прокрутки \nпанели гороскопов. Отключайте эту опцию \n"
                      "на медленных компьютерах."_s);
    Label1 = new QLabel(u"Задержка прокрутки"_s, XPGroupBox1);
    Label1->setObjectName(u"Label1"_s);
    Label1->setEnabled(false);
    Spin1 = new TSpinEdit(XPGroupBox1);
    Spin1->setObjectName(u"Spin1"_s);
    Spin1->setToolTip(u"Задержка прокрутки в миллисекундах. Чем больше задержка, \nтем плавнее прокрутка."_s);
    Spin1->setAccessibleName(u"Задержка прокрутки"_s);
    Label1->setBuddy(Spin1);
    Spin1->setMinimumWidth(Spin1->sizeHint().width());
    Spin1->setEnabled(false);
    Check4 = checkBox(
        XPGroupBox1, u"Check4"_s, u"Автоматическая задержка"_s,
        u"Задержка прокрутки выбирается в зависимости \nот размеров окна программы (рекомендуется)."_s);

    XPButton1 = new QPushButton(u"ОК"_s, this);
    XPButton1->setObjectName(u"XPButton1"_s);
    XPButton1->setToolTip(u"Принять изменения, \nзакрыть окно."_s);
    XPButton1->setDefault(true);
    XPButton2 = new QPushButton(u"Отмена"_s, this);
    XPButton2->setObjectName(u"XPButton2"_s);
    XPButton2->setToolTip(u"Закрыть окно \nбез принятия изменений."_s);

    // The spin box keeps its design place unless the label's text would run into it; the group and the
    // window grow only where a text would otherwise be cut, and the buttons keep clear of the group.
    using solvenna::ui::kOwnSize;
    solvenna::ui::placeAsDesigned({
        // control, x, y, width, height
        {Check1, 16, 24},
        {Check2, 16, 48},
        {Check3, 16, 72},
        {Label1, 32, 96},
        {Spin1, 142, 94, std::max(83, Spin1->sizeHint().width()), std::max(21, Spin1->sizeHint().height()),
         Label1, 5},
        {Check4, 32, 120},
    });
    solvenna::ui::placeAsDesigned({
        {XPGroupBox1, 8, 8, solvenna::ui::widthHoldingChildren(XPGroupBox1, 265, 11), 153},
        {XPButton1, 288, 16, 89, kOwnSize, XPGroupBox1, 14},
        {XPButton2, 288, 48, 89, kOwnSize, XPGroupBox1, 14},
    });
    setFixedSize(solvenna::ui::widthHoldingChildren(this, 386, 9), 179);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    setTabOrder(Check1, Check2);
    setTabOrder(Check2, Check3);
    setTabOrder(Check3, Spin1);
    setTabOrder(Spin1, Check4);
    setTabOrder(Check4, XPButton1);
    setTabOrder(XPButton1, XPButton2);

    connectGuarded(Check1, &QCheckBox::toggled, this, [this](bool on) { m_settings->setStoreNames(on); });
    connectGuarded(Check2, &QCheckBox::toggled, this, &TSetupFrm::Check2Click);
    connectGuarded(Check3, &QCheckBox::toggled, this, &TSetupFrm::Check3Click);
    connectGuarded(Check4, &QCheckBox::toggled, this, &TSetupFrm::Check4Click);
    connectGuarded(Spin1, &QSpinBox::valueChanged, this, &TSetupFrm::Spin1Change);
    connectGuarded(XPButton1, &QPushButton::clicked, this, &TSetupFrm::XPButton1Click);
    connectGuarded(XPButton2, &QPushButton::clicked, this, &TSetupFrm::XPButton2Click);

    const QString folder = programFolder.isEmpty()
                               ? solvenna::folderOfProgram(QCoreApplication::applicationFilePath())
                               : programFolder;
    m_store = std::make_unique<solvenna::IniFile>(folder + QString::fromLatin1(Settings::kFileName));
    m_settings = new LiveSettings(this);
    showSettings();
    FormCreate();
}

TSetupFrm::~TSetupFrm() {
    if (SetupFrm == this) SetupFrm = nullptr;
}

void TSetupFrm::FormCreate() {
    m_settings->assign(Settings::load(*m_store));
    // The page zoom is kept beside the settings, but is no setting of this dialog: "Отмена" leaves it.
    m_settings->setPageZoom(solvenna::readZoom(*m_store));
    // Night mode as the person chose it, else as the desktop is: on under a dark theme.
    m_settings->setNightMode(
        solvenna::readNightMode(*m_store).value_or(solvenna::ui::isDarkPalette(QGuiApplication::palette())));
    if (m_main) m_main->followSettings(m_settings);
    // The loaded values take effect whether or not they differ from what the controls and the main window
    // showed before.
    m_settings->announce();
    applyEnablingRule();
    // A zoom is kept as soon as it is chosen, whatever becomes of the dialog.
    connectGuarded(m_settings, &LiveSettings::pageZoomChanged, this,
                   [this](int percent) { solvenna::writeZoom(*m_store, percent); });
    connectGuarded(m_settings, &LiveSettings::nightModeChanged, this,
                   [this](bool on) { solvenna::writeNightMode(*m_store, on); });
}

// The controls show the settings: a change from elsewhere (the View menu, "Отмена") sets the control,
// which runs its rule as a change by the person does.
void TSetupFrm::showSettings() {
    connectGuarded(m_settings, &LiveSettings::storeNamesChanged, Check1, &QCheckBox::setChecked);
    connectGuarded(m_settings, &LiveSettings::showHintsChanged, Check2, &QCheckBox::setChecked);
    connectGuarded(m_settings, &LiveSettings::softScrollChanged, Check3, &QCheckBox::setChecked);
    connectGuarded(m_settings, &LiveSettings::scrollDelayChanged, Spin1, [this](int milliseconds) {
        // Not while it is the number being typed, which may lie out of bounds.
        if (Spin1->value() != milliseconds) Spin1->setValue(milliseconds);
    });
    connectGuarded(m_settings, &LiveSettings::autoDelayChanged, Check4, &QCheckBox::setChecked);
}

void TSetupFrm::applyEnablingRule() {
    Check4->setEnabled(Check3->isChecked());
    const bool manualDelay = Check3->isChecked() && !Check4->isChecked();
    Spin1->setEnabled(manualDelay);
    Label1->setEnabled(manualDelay);
}

void TSetupFrm::Check2Click() {
    m_settings->setShowHints(Check2->isChecked());
}

void TSetupFrm::Check3Click() {
    m_settings->setSoftScroll(Check3->isChecked());
    applyEnablingRule();
}

void TSetupFrm::Check4Click() {
    m_settings->setAutoDelay(Check4->isChecked());
    const bool manualDelay = !Check4->isChecked();
    Spin1->setEnabled(manualDelay);
    Label1->setEnabled(manualDelay);
}

void TSetupFrm::Spin1Change() {
    m_settings->setScrollDelay(Spin1->value());
}

void TSetupFrm::XPButton1Click() {
    Spin1->keepWithinBounds();           // Enter in the box presses "ОК" before the focus leaves it
    m_settings->values().save(*m_store); // a refused write stops here and leaves the dialog open
    flushSettings();
    hide();
}

void TSetupFrm::XPButton2Click() {
    m_settings->assign(Settings::load(*m_store));
    hide();
}

void TSetupFrm::flushSettings() {
    m_store->flush();
}
