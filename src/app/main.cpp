#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Korvane");
    QMainWindow window;
    window.setWindowTitle("Korvane");
    window.show();
    return QApplication::exec();
}
