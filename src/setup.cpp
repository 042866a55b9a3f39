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
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTimeZone>

#include <algorithm>
#include <cmath>
#include <optional>

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

const QLocale kRussian(QLocale::Russian, QLocale::Russia);
constexpr double kMostLatitude = 90;
constexpr double kMostLongitude = 180;

// Degrees as people type them: a comma or a dot before the fraction, a minus for south and west.
std::optional<double> readDegrees(const QString& text, double most) {
    QString number = text.trimmed();
    number.replace(u',', u'.').replace(u'\u2212', u'-');
    bool ok = false;
    const double degrees = number.toDouble(&ok);
    if (!ok || !std::isfinite(degrees) || std::abs(degrees) > most) return std::nullopt;
    return degrees;
}

QString degreesText(double degrees) {
    return kRussian.toString(degrees, 'f', 4);
}

// A field holding no valid number is framed red until mended, as the date fields are.
void markField(QLineEdit* field, bool invalid) {
    field->setStyleSheet(invalid ? u"QLineEdit { border: 2px solid #d00000; border-radius: 2px; }"_s
                                 : QString());
    field->setAccessibleDescription(invalid ? u"Это не число градусов в допустимых пределах"_s : QString());
}

// A field of the place: its object name, what a screen reader calls it and its tool tip.
template <typename Field>
Field* placeField(QWidget* parent, const QString& name, const QString& accessibleName, const QString& tip) {
    auto* field = new Field(parent);
    field->setObjectName(name);
    field->setAccessibleName(accessibleName);
    field->setToolTip(tip);
    return field;
}

QLabel* buddyLabel(QWidget* parent, const QString& name, const QString& caption, QWidget* buddy) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setBuddy(buddy);
    return label;
}
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

    XPGroupBox2 = new FramedGroup(u"Лунный календарь"_s, this);
    XPGroupBox2->setObjectName(u"XPGroupBox2"_s);
    PlaceBox = placeField<QComboBox>(
        XPGroupBox2, u"PlaceBox"_s, u"Город"_s,
        u"Для какого места считать лунный календарь: \nвремя восхода Луны и лунные сутки."_s);
    PlaceLabel = buddyLabel(XPGroupBox2, u"PlaceLabel"_s, u"&Город:"_s, PlaceBox);
    LatitudeEdit = placeField<QLineEdit>(
        XPGroupBox2, u"LatitudeEdit"_s, u"Широта"_s,
        u"Широта в градусах, от −90 до 90: \nсеверная со знаком плюс, южная с минусом."_s);
    LatitudeLabel = buddyLabel(XPGroupBox2, u"LatitudeLabel"_s, u"&Широта:"_s, LatitudeEdit);
    LongitudeEdit = placeField<QLineEdit>(
        XPGroupBox2, u"LongitudeEdit"_s, u"Долгота"_s,
        u"Долгота в градусах, от −180 до 180: \nвосточная со знаком плюс, западная с минусом."_s);
    LongitudeLabel = buddyLabel(XPGroupBox2, u"LongitudeLabel"_s, u"&Долгота:"_s, LongitudeEdit);
    ZoneBox = placeField<QComboBox>(
        XPGroupBox2, u"ZoneBox"_s, u"Часовой пояс"_s,
        u"Часовой пояс места: в нём показываются \nвремена на страницах лунного календаря."_s);
    ZoneLabel = buddyLabel(XPGroupBox2, u"ZoneLabel"_s, u"&Часовой пояс:"_s, ZoneBox);
    PlaceHint = new QLabel(u"Широта от −90 до 90°, долгота от −180 до 180°, в градусах с дробной "
                           "частью через запятую: 55,7558 и 37,6176 — Москва."_s,
                           XPGroupBox2);
    PlaceHint->setObjectName(u"PlaceHint"_s);
    PlaceHint->setWordWrap(true);

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
    // The place's group runs under the first group and the buttons, across the dialog.
    const int designWidth = solvenna::ui::widthHoldingChildren(this, 386, 9);
    const int placeWidth = designWidth - 16;
    const int fieldWidth = std::max(84, LatitudeEdit->fontMetrics().horizontalAdvance(u"−180,0000"_s) + 12);
    const int placeGrowth = solvenna::ui::placeAsDesigned({
        {PlaceLabel, 16, 26},
        {PlaceBox, 112, 22, placeWidth - 128, kOwnSize, PlaceLabel, 6},
        {LatitudeLabel, 16, 54},
        {LatitudeEdit, 112, 50, fieldWidth, kOwnSize, LatitudeLabel, 6},
        {LongitudeLabel, 112 + fieldWidth + 14, 54},
        {LongitudeEdit, 112 + fieldWidth + 74, 50, fieldWidth, kOwnSize, LongitudeLabel, 6},
        {ZoneLabel, 16, 82},
        {ZoneBox, 112, 78, placeWidth - 128, kOwnSize, ZoneLabel, 6},
        {PlaceHint, 16, 106, placeWidth - 32, 30},
    });
    // Larger fonts push a field right of its label: the group, and the window with it, grow to hold it.
    const int groupWidth = solvenna::ui::widthHoldingChildren(XPGroupBox2, placeWidth, 12);
    solvenna::ui::placeAsDesigned({{XPGroupBox2, 8, 169, groupWidth, 146 + placeGrowth}});
    setFixedSize(std::max(designWidth, groupWidth + 16), 333 + placeGrowth);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    setTabOrder(Check1, Check2);
    setTabOrder(Check2, Check3);
    setTabOrder(Check3, Spin1);
    setTabOrder(Spin1, Check4);
    setTabOrder(Check4, PlaceBox);
    setTabOrder(PlaceBox, LatitudeEdit);
    setTabOrder(LatitudeEdit, LongitudeEdit);
    setTabOrder(LongitudeEdit, ZoneBox);
    setTabOrder(ZoneBox, XPButton1);
    setTabOrder(XPButton1, XPButton2);

    connectGuarded(Check1, &QCheckBox::toggled, this, [this](bool on) { m_settings->setStoreNames(on); });
    connectGuarded(Check2, &QCheckBox::toggled, this, &TSetupFrm::Check2Click);
    connectGuarded(Check3, &QCheckBox::toggled, this, &TSetupFrm::Check3Click);
    connectGuarded(Check4, &QCheckBox::toggled, this, &TSetupFrm::Check4Click);
    connectGuarded(Spin1, &QSpinBox::valueChanged, this, &TSetupFrm::Spin1Change);
    connectGuarded(PlaceBox, &QComboBox::activated, this, &TSetupFrm::PlaceBoxChange);
    connectGuarded(LatitudeEdit, &QLineEdit::textEdited, this, &TSetupFrm::typedPlaceChange);
    connectGuarded(LongitudeEdit, &QLineEdit::textEdited, this, &TSetupFrm::typedPlaceChange);
    connectGuarded(ZoneBox, &QComboBox::activated, this, &TSetupFrm::typedPlaceChange);
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
    m_settings->setPlaceSetting(solvenna::readPlaceSetting(*m_store));
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
    connectGuarded(m_settings, &LiveSettings::placeChanged, this, &TSetupFrm::showPlace);
}

void TSetupFrm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    solvenna::ui::guarded([this] { fillPlaceChoices(); });
}

void TSetupFrm::fillPlaceChoices() {
    if (m_placeChoicesFilled) return;
    m_placeChoicesFilled = true;
    for (const solvenna::Place& city : solvenna::cities())
        PlaceBox->addItem(city.name);
    PlaceBox->addItem(u"Другое место…"_s);
    QList<QByteArray> zones = QTimeZone::availableTimeZoneIds();
    std::sort(zones.begin(), zones.end());
    for (const QByteArray& zone : zones)
        ZoneBox->addItem(QString::fromLatin1(zone));
    showPlace();
}

bool TSetupFrm::otherPlaceChosen() const {
    return PlaceBox->currentIndex() == PlaceBox->count() - 1;
}

// The controls show the place in force; a place that names no city of the list is one typed by hand.
void TSetupFrm::showPlace() {
    if (!m_placeChoicesFilled || m_showingPlace) return;
    const solvenna::Place place = m_settings->place();
    const int city = place.name.isEmpty() ? -1 : PlaceBox->findText(place.name);
    PlaceBox->setCurrentIndex(city >= 0 ? city : PlaceBox->count() - 1);
    // A city's coordinates and zone are shown too, greyed: they are where a place typed by hand starts.
    LatitudeEdit->setText(degreesText(place.latitude));
    LongitudeEdit->setText(degreesText(place.longitude));
    ZoneBox->setCurrentIndex(ZoneBox->findText(QString::fromLatin1(place.zone.id())));
    markField(LatitudeEdit, false);
    markField(LongitudeEdit, false);
    enableTypedPlace(otherPlaceChosen());
}

void TSetupFrm::enableTypedPlace(bool on) {
    for (QWidget* control : std::initializer_list<QWidget*>{LatitudeLabel, LatitudeEdit, LongitudeLabel,
                                                            LongitudeEdit, ZoneLabel, ZoneBox, PlaceHint})
        control->setEnabled(on);
}

void TSetupFrm::PlaceBoxChange(int index) {
    const QList<solvenna::Place>& cities = solvenna::cities();
    if (index >= 0 && index < cities.size()) {
        m_settings->setPlace(cities[index]);
        return;
    }
    // "Другое место…": the fields start from the city chosen before, in the desktop's own zone.
    const int systemZone = ZoneBox->findText(QString::fromLatin1(QTimeZone::systemTimeZoneId()));
    if (!m_settings->place().name.isEmpty() && systemZone >= 0) ZoneBox->setCurrentIndex(systemZone);
    enableTypedPlace(true);
    typedPlaceChange();
}

QLineEdit* TSetupFrm::invalidDegreesField() const {
    if (!readDegrees(LatitudeEdit->text(), kMostLatitude)) return LatitudeEdit;
    if (!readDegrees(LongitudeEdit->text(), kMostLongitude)) return LongitudeEdit;
    return nullptr;
}

void TSetupFrm::typedPlaceChange() {
    if (!otherPlaceChosen()) return;
    const auto latitude = readDegrees(LatitudeEdit->text(), kMostLatitude);
    const auto longitude = readDegrees(LongitudeEdit->text(), kMostLongitude);
    markField(LatitudeEdit, !latitude);
    markField(LongitudeEdit, !longitude);
    const QTimeZone zone(ZoneBox->currentText().toLatin1());
    if (!latitude || !longitude || !zone.isValid()) return;
    m_showingPlace = true; // the fields keep the text as typed
    const auto shown = qScopeGuard([this] { m_showingPlace = false; });
    m_settings->setPlace({QString(), *latitude, *longitude, zone});
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
    Spin1->keepWithinBounds(); // Enter in the box presses "ОК" before the focus leaves it
    if (QLineEdit* field = otherPlaceChosen() ? invalidDegreesField() : nullptr) {
        solvenna::ui::showMessage(field == LatitudeEdit
                                      ? u"Широта — число градусов от −90 до 90, например 55,7558."_s
                                      : u"Долгота — число градусов от −180 до 180, например 37,6176."_s);
        field->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_settings->values().save(*m_store); // a refused write stops here and leaves the dialog open
    // The place is written once chosen: a file that never named one keeps naming none.
    if (m_settings->placeSetting() != solvenna::readPlaceSetting(*m_store))
        solvenna::writePlace(*m_store, m_settings->place());
    flushSettings();
    hide();
}

void TSetupFrm::XPButton2Click() {
    m_settings->assign(Settings::load(*m_store));
    m_settings->setPlaceSetting(solvenna::readPlaceSetting(*m_store));
    hide();
}

void TSetupFrm::flushSettings() {
    m_store->flush();
}
