// The program's start-up exactly as the real entry does it, ending as soon as the personal data dialog
// has been painted: a benchmark measures the whole process from its start to its end.
#include "fontwarmup.h"
#include "main.h"
#include "whoim.h"

#include <QApplication>

namespace {
class DialogPainted : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == Form2)
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};
} // namespace

int main(int argc, char* argv[]) {
    solvenna::ui::startReadingFontConfiguration();
    QApplication app(argc, argv);
    DialogPainted probe;
    app.installEventFilter(&probe);
    CreateApplicationWindows();
    Form1->show();
    const int result = app.exec();
    delete Form1;
    return result;
}
