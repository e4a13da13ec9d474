// The generator's run: the picture list read from a real panel, a drawing for every entry,
// the files, the region data and, on request, previews of the whole panel to look at.
#include "tools/assetgen/pictures/Generator.h"

#include <QPainter>
#include <fstream>
#include <set>
#include <stdexcept>

#include "core/skin/RegionData.h"
#include "tools/assetgen/pictures/BaseScreen.h"
#include "tools/assetgen/pictures/Catalogue.h"
#include "tools/assetgen/pictures/DialogPictures.h"
#include "tools/assetgen/pictures/DisplayPictures.h"
#include "tools/assetgen/pictures/Jpeg.h"
#include "tools/assetgen/pictures/Outline.h"
#include "tools/assetgen/pictures/OutlineAlpha.h"
#include "tools/assetgen/pictures/PanelPhoto.h"
#include "tools/assetgen/pictures/PanelScene.h"

namespace zarq::assetgen {

namespace {

// The photographs at the usual quality; the small button picture a little higher, so that its
// border stays as close as possible to the photograph it sits on.
int JpegQuality(const std::string& key) {
    return key == "Puls_Speed" ? 97 : 92;
}

void SavePng(const QImage& image, const std::filesystem::path& file) {
    if (!image.save(QString::fromStdString(file.string()), "PNG")) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

// A picture of the panel or of a dialog, `scale` times finer, in the file its key's format
// asks for.
void SavePicture(const std::string& key, const QImage& image, int scale,
                 const std::filesystem::path& dir) {
    if (FormatOf(key) == PictureFormat::Jpeg) {
        WriteJpeg(image, dir / ScaledFileName(key + ".jpg", scale), JpegQuality(key));
    } else {
        SavePng(image, dir / ScaledFileName(key + ".png", scale));
    }
}

QImage Enlarged(const QImage& image, int factor) {
    return image.scaled(image.width() * factor, image.height() * factor, Qt::IgnoreAspectRatio,
                        Qt::FastTransformation);
}

void WritePreviews(const TForm1& form, const std::map<std::string, QImage>& pictures,
                   const std::filesystem::path& dir) {
    std::filesystem::create_directories(dir);
    const QRgb white = 0xFFFFFFFF;
    const auto atRest = [](const TImage& image) { return image.Visible(); };
    SavePng(Enlarged(PaintPanel(ElementsShown(form, atRest), pictures, white), 2),
            dir / "panel-off.png");
    // Everything lit but the digit sources; the digit places show a score, as in play.
    const auto allLit = [&form](const TImage& image) {
        for (int d = 0; d <= 9; ++d) {
            if (&image == form.DigitImage[d]) return false;
        }
        return image.Name() != "Puls_Off";
    };
    std::map<const TImage*, std::string> digits;
    for (int place = 1; place <= 4; ++place) {
        digits[form.DigitPos[place]] = "Im_Num" + std::to_string((place * 3) % 10);
    }
    const std::vector<ShownElement> shown = ElementsShown(form, allLit, digits);
    const QImage lit = PaintPanel(shown, pictures, white);
    SavePng(Enlarged(lit, 2), dir / "panel-lit.png");
    SavePng(Enlarged(lit.copy(340, 176, 40, 84), 8), dir / "boss.png");
    SavePng(Enlarged(lit.copy(115, 154, 268, 114), 4), dir / "screen-lit.png");
}

}  // namespace

std::string ScaledFileName(const std::string& name, int scale) {
    if (scale == 1) return name;
    const std::size_t dot = name.rfind('.');
    return name.substr(0, dot) + "@" + std::to_string(scale) + "x" + name.substr(dot);
}

std::map<std::string, QImage> DrawAllPictures(const QString& fontFile, int scale) {
    const InertPanel panel;
    const TForm1& form = panel.Form();
    const std::vector<PictureSpec> specs = PictureCatalogue(form);

    std::set<std::string> wanted;
    for (const PictureSpec& entry : specs) wanted.insert(entry.Key);
    for (const std::string& key : DisplayPictureKeys()) {
        if (wanted.count(key) == 0) {
            throw std::runtime_error("a picture is drawn for " + key + ", which no element shows");
        }
    }

    const PanelPhotos photos = RenderPanelPhotos(LayoutOf(form), fontFile, scale);
    std::map<std::string, QImage> pictures;
    for (const PictureSpec& entry : specs) {
        QImage image;
        if (entry.Key == "Im_Base") {
            image = photos.Base;
        } else if (entry.Key == "Puls_Speed") {
            image = photos.SpeedButton;
        } else if (entry.Key == "Puls_On") {
            image = photos.SwitchOn;
        } else if (entry.Key == "Puls_Off") {
            image = photos.SwitchOff;
        } else if (entry.Key == "Im_BaseScreen") {
            continue;  // drawn last, from the others
        } else if (IsDisplayPicture(entry.Key)) {
            image = DrawDisplayPicture(entry.Key, scale);
        } else {
            throw std::runtime_error("no drawing for the picture " + entry.Key);
        }
        if (image.width() != entry.Width * scale || image.height() != entry.Height * scale) {
            throw std::runtime_error("the picture " + entry.Key + " does not fit its element");
        }
        pictures[entry.Key] = image.convertToFormat(QImage::Format_RGB32);
    }
    pictures["Im_BaseScreen"] = DrawBaseScreen(
        form,
        [&](const std::string& key) {
            auto it = pictures.find(key);
            if (it == pictures.end())
                throw std::runtime_error("no picture " + key + " for the screen");
            return it->second;
        },
        scale);
    return pictures;
}

void Generate(const GeneratorOptions& options) {
    std::filesystem::create_directories(options.PicturesDir);
    std::map<std::string, QImage> pictures;
    for (int scale : kPictureScales) {
        std::map<std::string, QImage> set = DrawAllPictures(options.FontFile, scale);
        for (const auto& [key, image] : set) SavePicture(key, image, scale, options.PicturesDir);
        const DialogPictures dialogs = DrawDialogPictures(set, options.FontFile, scale);
        for (const auto& [key, image] : dialogs.Dialogs) {
            SavePicture(key, image, scale, options.PicturesDir);
        }
        if (!options.IconDir.empty()) std::filesystem::create_directories(options.IconDir);
        for (const auto& [size, icon] : dialogs.Icons) {
            SavePng(icon, options.IconDir / ("zarq-simulator-" + std::to_string(size) + ".png"));
        }
        for (const auto& [name, icon] : dialogs.WebIcons) SavePng(icon, options.IconDir / name);
        if (!dialogs.IconSvg.empty()) {
            const std::filesystem::path file = options.IconDir / "zarq-simulator.svg";
            std::ofstream svg(file, std::ios::binary | std::ios::trunc);
            svg << dialogs.IconSvg;
            if (!svg) throw std::runtime_error("cannot write " + file.string());
        }
        if (scale == 1) pictures = std::move(set);
    }

    for (int scale : kPictureScales) {
        SavePng(DrawOutlineAlpha(scale),
                options.PicturesDir / ScaledFileName("Outline.png", scale));
    }

    {
        const std::filesystem::path file = options.PicturesDir / "Outline.svg";
        std::ofstream svg(file, std::ios::binary | std::ios::trunc);
        svg << DrawOutlineSvg();
        if (!svg) throw std::runtime_error("cannot write " + file.string());
    }

    const std::vector<std::uint8_t> mask = EncodeMask2(OutlineBands());
    if (!options.MaskFile.parent_path().empty()) {
        std::filesystem::create_directories(options.MaskFile.parent_path());
    }
    std::ofstream out(options.MaskFile, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(mask.data()),
              static_cast<std::streamsize>(mask.size()));
    if (!out) throw std::runtime_error("cannot write " + options.MaskFile.string());

    if (!options.PreviewDir.empty()) {
        // Previews show the JPEG photographs as they were stored, not as they were drawn.
        std::map<std::string, QImage> stored = pictures;
        for (auto& [key, image] : stored) {
            if (FormatOf(key) == PictureFormat::Jpeg) {
                image = ReadJpeg(options.PicturesDir / (key + ".jpg"));
            }
        }
        const InertPanel panel;
        WritePreviews(panel.Form(), stored, options.PreviewDir);
    }
}

}  // namespace zarq::assetgen
