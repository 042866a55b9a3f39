#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Solvenna, версия 1.3"));
    window.resize(644, 430);
    window.show();
    return app.exec();
}
