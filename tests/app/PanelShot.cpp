// zarq-panel-shot: saves a picture of the panel window as the program shows it, cut to the
// toy's outline on a desktop-coloured background, for looking at by eye.
//   zarq-panel-shot OUT.png [off|lit] [FOLDER|stand-in]
// "off" is the panel as it starts (switch off); "lit" lights every display element, shows
// 8888 on the score and the switch in the on position. The pictures come from the program's
// own resources, or from FOLDER, or are the tests' stand-ins.
#include <QApplication>
#include <QFile>
#include <QPainter>
#include <cstdio>
#include <cstring>
#include <memory>

#include "desktop/window/PanelWindow.h"
#include "desktop/window/PictureSet.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace {

void LightEverything(zarq::TForm1& f) {
    for (const auto& control : f.Controls()) {
        auto* image = dynamic_cast<zarq::TImage*>(control.get());
        if (image == nullptr) continue;
        // The digit sources lie on the panel below the screen and are never lit.
        const bool digitSource =
            image->Name().rfind("Im_Num", 0) == 0 && image->Name().rfind("Im_NumPos", 0) != 0;
        image->SetVisible(!digitSource && image != f.Puls_Off);
    }
    for (int p = 1; p <= 4; ++p) f.DigitPos[p]->SetPicture(f.DigitImage[8]->Picture());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png [off|lit]\n", argv[0]);
        return 2;
    }
    const bool lit = argc > 2 && std::strcmp(argv[2], "lit") == 0;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    zarq::test::Toy toy;
    std::unique_ptr<zarq::test::PictureFolder> standIns;
    QString folder = zarq::PictureSet::ResourceFolder();
    if (argc > 3 && std::strcmp(argv[3], "stand-in") == 0) {
        standIns = std::make_unique<zarq::test::PictureFolder>(toy.F());
        folder = standIns->Path();
    } else if (argc > 3) {
        folder = QString::fromLocal8Bit(argv[3]);
    }
    zarq::PictureSet pictures;
    if (const auto error = pictures.Load(folder, zarq::PictureKeysOf(toy.F()))) {
        std::fprintf(stderr, "%s\n", qPrintable(error->Text()));
        return 1;
    }
    QFile maskFile(QStringLiteral(":/Mask2.bin"));
    const QByteArray mask2 = maskFile.open(QIODevice::ReadOnly) ? maskFile.readAll() : QByteArray();
    zarq::PanelWindow window(toy.F(), pictures, mask2);
    if (lit) LightEverything(toy.F());

    const QImage panel = window.grab().toImage();
    QImage shot(panel.size(), QImage::Format_RGB32);
    shot.fill(QColor(0x3A, 0x6E, 0xA5));
    {
        QPainter p(&shot);
        const QRegion outline = window.mask().isEmpty() ? QRegion(panel.rect()) : window.mask();
        p.setClipRegion(outline);
        p.drawImage(0, 0, panel);
    }
    if (!shot.save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
