// Loading of the panel's pictures, one set at a time: JPEG through our libjpeg decoder, PNG
// through Qt.
#include "desktop/window/PictureSet.h"

#include <QFile>
#include <algorithm>
#include <vector>

#include "desktop/window/JpegDecoder.h"

namespace zarq {

namespace {
// The photographs (the panel's body and speed button, the author's photograph on the about
// dialog); every other picture is drawn and stored losslessly.
constexpr const char* kPhotographs[] = {"Im_Base", "Puls_Speed", "Im_Foto"};

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

QString PictureSet::FileName(const std::string& key, int scale) {
    return QString::fromStdString(PictureStem(key, scale)) + (IsPhotograph(key) ? ".jpg" : ".png");
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

std::optional<PictureError> PictureSet::Load(const QString& folder,
                                             const std::set<std::string>& keys, int scale) {
    folder_ = folder;
    keys_ = keys;
    sets_ = {};
    loadedScale_ = std::clamp(scale, 1, kLargestScale);
    auto error = DecodeSet(loadedScale_);
    if (error) {
        folder_.clear();
        keys_.clear();
        sets_ = {};
    }
    return error;
}

std::optional<PictureError> PictureSet::DecodeSet(int scale) const {
    Set& set = sets_[static_cast<std::size_t>(scale)];
    set.Tried = true;
    for (const std::string& key : keys_) {
        const QString name = FileName(key, scale);
        QFile file(folder_ + '/' + name);
        if (!file.open(QIODevice::ReadOnly)) {
            set.Pictures.clear();
            set.Failed = true;
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
            set.Pictures.clear();
            set.Failed = true;
            return PictureError{name, reason};
        }
        Entry entry;
        entry.Plain = picture.convertToFormat(QImage::Format_RGB32);
        set.Pictures[key] = std::move(entry);
    }
    return std::nullopt;
}

PictureSet::Set& PictureSet::SetAt(int scale) const {
    Set& set = sets_[static_cast<std::size_t>(scale)];
    if (!set.Tried && !folder_.isEmpty()) {
        if (const auto error = DecodeSet(scale)) {
            qWarning("The pictures for %dx screens cannot be used (%s); others are scaled instead.",
                     scale, qPrintable(error->Text()));
        }
    }
    return set;
}

void PictureSet::Insert(const std::string& key, const QImage& picture, int scale) {
    Set& set = sets_[static_cast<std::size_t>(std::clamp(scale, 1, kLargestScale))];
    set.Tried = true;
    set.Failed = false;
    Entry entry;
    entry.Plain = picture.convertToFormat(QImage::Format_RGB32);
    set.Pictures[key] = std::move(entry);
}

const QImage* PictureSet::Find(const std::string& key, bool transparent) const {
    const ScaledPicture found = FindAt(key, transparent, 1);
    return found.Scale == 1 ? found.Image : nullptr;
}

namespace {
// The sets to look in for `scale`: itself, then finer ones, then coarser ones.
std::vector<int> SearchOrder(int scale, int largest) {
    std::vector<int> order;
    for (int s = scale; s <= largest; ++s) order.push_back(s);
    for (int s = scale - 1; s >= 1; --s) order.push_back(s);
    return order;
}
}  // namespace

ScaledPicture PictureSet::FindAt(const std::string& key, bool transparent, int scale) const {
    for (int s : SearchOrder(std::clamp(scale, 1, kLargestScale), kLargestScale)) {
        Set& set = SetAt(s);
        const auto it = set.Pictures.find(key);
        if (it == set.Pictures.end()) continue;
        Entry& entry = it->second;
        if (!transparent) return {&entry.Plain, s};
        // Keyed when first painted as a transparent element: most pictures never are.
        if (entry.Keyed.isNull()) entry.Keyed = KeyOutBackground(entry.Plain);
        return {&entry.Keyed, s};
    }
    return {};
}

ScaledPicture PictureSet::OutlineAt(int scale) const {
    for (int s : SearchOrder(std::clamp(scale, 1, kLargestScale), kLargestScale)) {
        Set& set = sets_[static_cast<std::size_t>(s)];
        if (!set.OutlineTried && !folder_.isEmpty()) {
            set.OutlineTried = true;
            const QString name =
                s == 1 ? QStringLiteral("Outline.png") : QStringLiteral("Outline@%1x.png").arg(s);
            QImage grey;
            if (grey.load(folder_ + '/' + name, "PNG")) {
                // Black whose alpha is the coverage: painted with DestinationIn it cuts out.
                grey = grey.convertToFormat(QImage::Format_Grayscale8);
                QImage alpha(grey.size(), QImage::Format_ARGB32_Premultiplied);
                for (int y = 0; y < grey.height(); ++y) {
                    const uchar* in = grey.constScanLine(y);
                    auto* out = reinterpret_cast<QRgb*>(alpha.scanLine(y));
                    for (int x = 0; x < grey.width(); ++x) out[x] = qRgba(0, 0, 0, in[x]);
                }
                set.Outline = std::move(alpha);
            }
        }
        if (!set.Outline.isNull()) return {&set.Outline, s};
    }
    return {};
}

std::size_t PictureSet::Size() const {
    return sets_[static_cast<std::size_t>(loadedScale_)].Pictures.size();
}

bool PictureSet::Decoded(int scale) const {
    return scale >= 1 && scale <= kLargestScale && sets_[static_cast<std::size_t>(scale)].Tried &&
           !sets_[static_cast<std::size_t>(scale)].Failed;
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
