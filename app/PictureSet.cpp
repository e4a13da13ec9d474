// Loading of the panel's pictures: JPEG through our libjpeg decoder, PNG through Qt.
#include "PictureSet.h"

#include <QFile>

#include "JpegDecoder.h"
#include "panel/Unit1.h"

namespace zarq {

namespace {
// The two photographs; every other picture is drawn and stored losslessly.
constexpr const char* kPhotographs[] = {"Im_Base", "Puls_Speed"};

bool IsPhotograph(const std::string& key) {
    for (const char* p : kPhotographs) {
        if (key == p) return true;
    }
    return false;
}
}  // namespace

QString PictureError::Text() const {
    return QStringLiteral("The picture \"%1\" cannot be loaded: %2.").arg(File, Reason);
}

QString PictureSet::FileName(const std::string& key) {
    return QString::fromStdString(key) + (IsPhotograph(key) ? ".jpg" : ".png");
}

std::set<std::string> PictureSet::KeysOf(const TForm1& form) {
    std::set<std::string> keys;
    for (const auto& control : form.Controls()) {
        if (const auto* image = dynamic_cast<const TImage*>(control.get())) {
            if (!image->Picture().empty()) keys.insert(image->Picture());
        }
    }
    return keys;
}

QImage DecodeJpegImage(const QByteArray& bytes, QString& error) {
    RgbPicture rgb;
    std::string reason;
    if (!DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                    static_cast<std::size_t>(bytes.size()), rgb, reason)) {
        error = QString::fromStdString(reason);
        return {};
    }
    const QImage view(rgb.Rgb.data(), rgb.Width, rgb.Height, rgb.Width * 3, QImage::Format_RGB888);
    return view.convertToFormat(QImage::Format_RGB32);  // a deep copy: `rgb` dies here
}

std::optional<PictureError> PictureSet::Load(const QString& folder, const std::set<std::string>& keys) {
    pictures_.clear();
    for (const std::string& key : keys) {
        const QString name = FileName(key);
        QFile file(folder + '/' + name);
        if (!file.open(QIODevice::ReadOnly)) {
            pictures_.clear();
            return PictureError{name, QStringLiteral("the file is missing")};
        }
        const QByteArray bytes = file.readAll();
        QImage picture;
        QString reason;
        if (IsPhotograph(key)) {
            picture = DecodeJpegImage(bytes, reason);
        } else if (!picture.loadFromData(bytes, "PNG")) {
            reason = QStringLiteral("it is not a readable PNG picture");
        }
        if (picture.isNull()) {
            pictures_.clear();
            return PictureError{name, reason};
        }
        Insert(key, picture);
    }
    return std::nullopt;
}

void PictureSet::Insert(const std::string& key, const QImage& picture) {
    Entry entry;
    entry.Plain = picture.convertToFormat(QImage::Format_RGB32);
    entry.Keyed = KeyOutBackground(picture);
    pictures_[key] = std::move(entry);
}

const QImage* PictureSet::Find(const std::string& key, bool transparent) const {
    const auto it = pictures_.find(key);
    if (it == pictures_.end()) return nullptr;
    return transparent ? &it->second.Keyed : &it->second.Plain;
}

QImage PictureSet::KeyOutBackground(const QImage& picture) {
    QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
    if (keyed.isNull()) return keyed;
    const QRgb key = keyed.pixel(0, keyed.height() - 1) | 0xFF000000u;
    for (int y = 0; y < keyed.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((row[x] | 0xFF000000u) == key) row[x] = 0;
        }
    }
    return keyed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

}  // namespace zarq
