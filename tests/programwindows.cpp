#include "programwindows.h"

#include "main.h"
#include "ordinaryuser.h"
#include "setup.h"
#include "style.h"
#include "testsupport.h"
#include "whoim.h"

#include <QApplication>
#include <QFile>

namespace testsupport {

void ProgramWindows::initMain() {
    runAsOrdinaryUser();
}

ProgramWindows::~ProgramWindows() = default;

void ProgramWindows::startProgram() {
    solvenna::ui::installProgramStyle();
}

QString ProgramWindows::programFolder() {
    static QTemporaryDir holder;
    static const QString folder = readableProgramFolder(dataFolder(), holder);
    return folder;
}

void ProgramWindows::beginTest() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_services = std::make_unique<ServiceRecorder>();
}

void ProgramWindows::endTest() {
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

QString ProgramWindows::folder() const {
    return m_dir->path() + u'/';
}

void ProgramWindows::createMainWindow(const QString& appFolder) {
    m_form = std::make_unique<TForm1>();
    Form1 = m_form.get();
    m_form->Folders = solvenna::Folders::fromAppFolder(appFolder.isEmpty() ? programFolder() : appFolder);
    m_form->Folders.ConfigFolder = folder();
}

void ProgramWindows::createDialogs() {
    CreateDialogWindows();
    m_person = Form2;
    m_person->today = [this] { return m_today; };
    m_setup = SetupFrm;
}

void ProgramWindows::createWindows(const QString& appFolder) {
    createMainWindow(appFolder);
    createDialogs();
}

void ProgramWindows::createWindowsWithAnna(const QString& appFolder) {
    createWindows(appFolder);
    BirthDate = solvenna::encodeDate(1975, 8, 15);
    PersonName = QStringLiteral("Анна");
}

} // namespace testsupport
