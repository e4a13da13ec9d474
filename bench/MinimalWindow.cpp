// The smallest Qt widgets window of the panel's size, the yardstick for the simulator's start:
// it shows one empty window and, under the first-paint switch, ends after painting it.
#include <QApplication>
#include <QWidget>

#include "desktop/window/FirstPaintExit.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zarq::QuitAfterFirstPaintIfAsked();
    QWidget window;
    window.resize(490, 580);
    window.show();
    return QApplication::exec();
}
