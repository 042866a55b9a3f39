#include "fontwarmup.h"
#include "main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    solvenna::ui::FontConfigurationReader fonts; // meanwhile the application connects to the display
    QApplication app(argc, argv);
    fonts.wait();
    CreateApplicationWindows();
    Form1->show();
    const int result = app.exec();
    delete Form1; // the dialogs are its children and go with it
    return result;
}
