// Program entry: until the panel window lands, an empty window of the panel's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zarq (Keldo) Simulator");
    QWidget window;
    window.setWindowTitle("Zarq (Keldo) Simulator");
    window.setFixedSize(490, 580);
    window.show();
    return QApplication::exec();
}
