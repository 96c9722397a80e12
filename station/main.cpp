// Travenor: the sign-in station.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Vantor");
    window.show();
    return app.exec();
}
