#include "core/caption.h"
#include "fontwarmup.h"
#include "main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    solvenna::ui::startReadingFontConfiguration();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(solvenna::programVersion());
    CreateApplicationWindows();
    Form1->show();
    const int result = app.exec();
    delete Form1; // the dialogs are its children and go with it
    return result;
}
