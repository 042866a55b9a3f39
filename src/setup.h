#pragma once

#include "core/inifile.h"
#include "core/settings.h"

#include <QDialog>
#include <QSpinBox>

#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TForm1;
namespace solvenna {
class LiveSettings;
}

// The scroll-delay box: within the bounds of the settings table in steps of 5, shown with " мсек". While the
// person types, the number typed is the value as it stands, also one out of bounds or with a minus sign;
// its arrows, Up and Down and the focus leaving bring the value within bounds.
class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    static constexpr int kLowest = solvenna::settingKey(&solvenna::Settings::scrollDelay).lowest;
    static constexpr int kHighest = solvenna::settingKey(&solvenna::Settings::scrollDelay).highest;
    // Puts a value in, brought to the nearer bound (hides QSpinBox::setValue, which would take any value
    // of the typing range).
    void setValue(int value);
    // Takes what was typed and brings it within bounds.
    void keepWithinBounds();

    void stepBy(int steps) override;
    QSize sizeHint() const override { return m_hint; }
    QSize minimumSizeHint() const override { return m_hint; }

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QSize m_hint;
};

// The settings dialog. Its controls edit the settings in force, which the main window follows at once;
// "ОК" writes them to solvenna.ini, "Отмена" puts the stored ones back. The place of the lunar calendar
// ("Город") is one of the thirty cities or a place typed by hand: latitude, longitude and time zone.
class TSetupFrm : public QDialog {
    Q_OBJECT
public:
    // The settings file lives in the program folder; tests pass a folder of their own.
    explicit TSetupFrm(TForm1* mainWindow, const QString& programFolder = QString(),
                       QWidget* parent = nullptr);
    ~TSetupFrm() override;

    QGroupBox* XPGroupBox1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check2 = nullptr;
    QCheckBox* Check3 = nullptr;
    QLabel* Label1 = nullptr;
    TSpinEdit* Spin1 = nullptr;
    QCheckBox* Check4 = nullptr;
    QGroupBox* XPGroupBox2 = nullptr; // the lunar calendar's place
    QLabel* PlaceLabel = nullptr;
    QComboBox* PlaceBox = nullptr; // the cities, then "Другое место…"
    QLabel* LatitudeLabel = nullptr;
    QLineEdit* LatitudeEdit = nullptr;
    QLabel* LongitudeLabel = nullptr;
    QLineEdit* LongitudeEdit = nullptr;
    QLabel* ZoneLabel = nullptr;
    QComboBox* ZoneBox = nullptr;
    QLabel* PlaceHint = nullptr;
    QPushButton* XPButton1 = nullptr;
    QPushButton* XPButton2 = nullptr;

    const QString& settingsFile() const { return m_store->fileName(); }
    solvenna::IniFile& settingsStore() { return *m_store; }
    solvenna::LiveSettings& settings() { return *m_settings; }

    void FormCreate();
    void XPButton1Click();
    void XPButton2Click();
    void Check2Click();
    void Check3Click();
    void Check4Click();
    void Spin1Change();
    void PlaceBoxChange(int index);
    // The place typed by hand, taken when its latitude, longitude and zone are all valid.
    void typedPlaceChange();
    void flushSettings();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showSettings();
    void applyEnablingRule();
    // The lists of cities and zones are filled at the first show: start-up looks up no time zone.
    void fillPlaceChoices();
    void showPlace();
    bool otherPlaceChosen() const;
    // Latitude, longitude and zone take typing only for "Другое место…".
    void enableTypedPlace(bool on);
    // The field that holds no valid number of degrees, or none.
    QLineEdit* invalidDegreesField() const;

    TForm1* m_main = nullptr;
    std::unique_ptr<solvenna::IniFile> m_store;
    solvenna::LiveSettings* m_settings = nullptr; // the dialog's child
    bool m_placeChoicesFilled = false;
    bool m_showingPlace = false; // the controls follow the setting, which they then need not set
};

extern TSetupFrm* SetupFrm;
