#pragma once

// The program's windows for widget suites, made as the program makes them at start-up, on the shipped
// pages, with the INI files in a folder of each test's own and the modal services recorded.

#include "core/date.h"
#include "main.h"
#include "uitestsupport.h"

#include <QDate>
#include <QObject>
#include <QTemporaryDir>

#include <memory>

class TForm2;
class TSetupFrm;

namespace testsupport {

// The base of a widget suite. A suite that needs more at its start or at each test's start declares its
// own initTestCase() or init() slot and calls startProgram() or beginTest() from it.
class ProgramWindows : public QObject {
    Q_OBJECT
public:
    // Refused writes need an ordinary user.
    static void initMain();
    ~ProgramWindows() override;

protected:
    // The program's style, as before any window.
    static void startProgram();
    // A program folder holding the pages, readable by the ordinary user a suite runs as; made once per
    // process. With a trailing delimiter.
    static QString programFolder();

    void beginTest();
    void endTest();

    // The test's own folder, where the INI files live; with a trailing delimiter.
    QString folder() const;

    // The main window alone, on the pages of appFolder (the shared program folder when empty).
    void createMainWindow(const QString& appFolder = QString());
    // The main window's three dialogs and its stored place, as at start-up.
    void createDialogs();
    // The four windows in start-up order.
    void createWindows(const QString& appFolder = QString());
    // The same, with Анна, born 15.08.1975, chosen as the person.
    void createWindowsWithAnna(const QString& appFolder = QString());

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ServiceRecorder> m_services;
    std::unique_ptr<TForm1> m_form;
    TForm2* m_person = nullptr;
    TSetupFrm* m_setup = nullptr;
    QDate m_today{2026, 12, 7}; // the personal data dialog's today

private Q_SLOTS:
    void initTestCase() { startProgram(); }
    void init() { beginTest(); }
    void cleanup() { endTest(); }
};

} // namespace testsupport
