// A bare Qt window, shown and closed as soon as it has been painted: the yardstick for the program's
// start-up.
#include <QApplication>
#include <QWidget>

namespace {
class Painted : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        return false;
    }
};
} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    Painted probe;
    window.installEventFilter(&probe);
    window.resize(644, 430);
    window.show();
    return app.exec();
}
