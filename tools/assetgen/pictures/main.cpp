// assetgen: draws every picture of the panel, its outline, the dialogs' pictures and the icons.
//   assetgen [PICTURES_DIR] [--mask FILE] [--icons DIR] [--preview DIR] [--font FILE]
// PICTURES_DIR defaults to assets/pictures; the region data goes to Mask2.bin beside it and
// the icons, one file per size, to the folder icon/ beside it.
#include <QGuiApplication>
#include <cstdio>
#include <exception>
#include <string>

#include "tools/assetgen/pictures/Generator.h"

int main(int argc, char** argv) {
    // Fonts need a GUI application, but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    zarq::assetgen::GeneratorOptions options;
    options.PicturesDir = "assets/pictures";
    options.FontFile = QStringLiteral(ZARQ_FONT_FILE);
    bool maskGiven = false;
    bool iconsGiven = false;
    const QStringList args = QCoreApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--mask" && hasValue) {
            options.MaskFile = args[++i].toStdString();
            maskGiven = true;
        } else if (arg == "--icons" && hasValue) {
            options.IconDir = args[++i].toStdString();
            iconsGiven = true;
        } else if (arg == "--preview" && hasValue) {
            options.PreviewDir = args[++i].toStdString();
        } else if (arg == "--font" && hasValue) {
            options.FontFile = args[++i];
        } else if (!arg.startsWith("--")) {
            options.PicturesDir = arg.toStdString();
        } else {
            std::fprintf(stderr,
                         "usage: assetgen [PICTURES_DIR] [--mask FILE] [--icons DIR] "
                         "[--preview DIR] [--font FILE]\n");
            return 2;
        }
    }
    if (!maskGiven) options.MaskFile = options.PicturesDir.parent_path() / "Mask2.bin";
    if (!iconsGiven) options.IconDir = options.PicturesDir.parent_path() / "icon";

    try {
        zarq::assetgen::Generate(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
