#pragma once

#include "core/inifile.h"

#include <QDialog>
#include <QSpinBox>

#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TForm1;

// The scroll-delay box: 0..500 ms in steps of 5, shown with " мсек"; a value put in from outside the
// range, or left there when the focus goes, is brought to the nearer bound.
class TSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// The settings dialog. Its controls are the settings in force: every change is applied to the main window
// at once, "ОК" writes them to solvenna.ini, "Отмена" puts the stored ones back.
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
    QPushButton* XPButton1 = nullptr;
    QPushButton* XPButton2 = nullptr;

    const QString& settingsFile() const { return m_store->fileName(); }

    void FormCreate();
    void XPButton1Click();
    void XPButton2Click();
    void Check2Click();
    void Check3Click();
    void Check4Click();
    void Spin1Change();
    void flushSettings();

private:
    void loadIntoControls();
    void applyEnablingRule();

    TForm1* m_main = nullptr;
    std::unique_ptr<solvenna::IniFile> m_store;
};

extern TSetupFrm* SetupFrm;
