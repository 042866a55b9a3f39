#pragma once

// The program's windows for widget suites, made as the program makes them at start-up, on the shipped
// pages, with the INI files in a folder of each test's own and the modal services recorded.

#include "core/catalogue.h"
#include "core/date.h"
#include "main.h"
#include "setup.h"
#include "style.h"
#include "whoim.h"

#include "testsupport.h"
#include "uitestsupport.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace testsupport {

// A second base of a suite's class (after QObject). The suite's initTestCase calls startProgram(), its
// init() beginTest() and its cleanup() endTest(); a test makes the windows it needs.
class ProgramWindows {
protected:
    // The program's style, as before any window.
    static void startProgram() { solvenna::ui::installProgramStyle(); }

    // A program folder holding the pages, readable by the ordinary user a suite may run as; made once per
    // process. With a trailing delimiter.
    static QString programFolder() {
        static QTemporaryDir holder;
        static const QString folder = readableProgramFolder(dataFolder(), holder);
        return folder;
    }

    void beginTest() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_services = std::make_unique<ServiceRecorder>();
    }

    void endTest() {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        m_form.reset(); // the dialogs are its children; each clears its own global
        m_person = nullptr;
        m_setup = nullptr;
        m_services.reset();
        // A test may have closed its folder to show a refused write.
        if (m_dir)
            QFile::setPermissions(m_dir->path(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_dir.reset();
    }

    // The test's own folder, where the INI files live; with a trailing delimiter.
    QString folder() const { return m_dir->path() + u'/'; }

    // The main window alone, on the pages of appFolder (the shared program folder when empty).
    void createMainWindow(const QString& appFolder = QString()) {
        m_form = std::make_unique<TForm1>();
        Form1 = m_form.get();
        m_form->Folders = solvenna::Folders::fromAppFolder(appFolder.isEmpty() ? programFolder() : appFolder);
        m_form->Folders.ConfigFolder = folder();
    }

    // The four windows in start-up order.
    void createWindows(const QString& appFolder = QString()) {
        createMainWindow(appFolder);
        createDialogs();
    }

    // The main window's three dialogs and its stored place, as at start-up.
    void createDialogs() {
        CreateDialogWindows();
        m_person = Form2;
        m_person->today = [this] { return m_today; };
        m_setup = SetupFrm;
    }

    // The same, with Анна, born 15.08.1975, chosen as the person.
    void createWindowsWithAnna(const QString& appFolder = QString()) {
        createWindows(appFolder);
        BirthDate = solvenna::encodeDate(1975, 8, 15);
        PersonName = QStringLiteral("Анна");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ServiceRecorder> m_services;
    std::unique_ptr<TForm1> m_form;
    TForm2* m_person = nullptr;
    TSetupFrm* m_setup = nullptr;
    QDate m_today{2026, 12, 7}; // the personal data dialog's today
};

} // namespace testsupport
