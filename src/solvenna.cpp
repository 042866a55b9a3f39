#include "about.h"
#include "main.h"
#include "setup.h"
#include "whoim.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // The four windows, in this order: the dialogs need the main window's folder values, and the
    // settings dialog applies the settings to the main window's section bar and menus.
    Form1 = new TForm1;
    Form2 = new TForm2(Form1);
    AboutBox = new TAboutBox(Form1);
    SetupFrm = new TSetupFrm(Form1);
    Form1->show();
    const int result = app.exec();
    delete Form1; // the dialogs are its children and go with it
    return result;
}
