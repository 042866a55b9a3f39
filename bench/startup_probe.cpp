// The program's start-up exactly as the real entry does it, ending as soon as the personal data dialog
// is on screen: a benchmark measures the whole process from its start to that moment.
#include "main.h"
#include "whoim.h"

#include <QApplication>

namespace {
class DialogShown : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == Form2)
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        return false;
    }
};
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    DialogShown probe;
    app.installEventFilter(&probe);
    CreateApplicationWindows();
    Form1->show();
    const int result = app.exec();
    delete Form1;
    return result;
}
