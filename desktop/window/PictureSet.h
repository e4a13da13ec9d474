// Every picture of the panel by its key (the name of the element that carries it), in up to
// three sets drawn 1, 2 and 3 times finer (PictureSetFor chooses among them), and the panel's
// anti-aliased outline at the same scales. A set is decoded when it is first needed; each picture
// also has a keyed copy in which its background colour is see-through, for transparent elements.
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>

#include "core/session/PictureSets.h"

namespace zarq {

// Why start-up cannot go on: the file concerned and what is wrong with it.
struct PictureError {
    QString File;
    QString Reason;
    QString Text() const;  // one sentence for a message box
};

// A picture of one set: `Image` has `Scale` pixels per panel pixel each way.
struct ScaledPicture {
    const QImage* Image = nullptr;
    int Scale = 1;
    explicit operator bool() const { return Image != nullptr; }
};

class PictureSet {
  public:
    static constexpr int kLargestScale = kLargestPictureSet;

    // Where the pictures come from in the program: the executable's own resources.
    static QString ResourceFolder() { return QStringLiteral(":/pictures"); }

    // The file that holds a key's picture ("Im_Base.jpg", "Im_Zarq5@2x.png").
    static QString FileName(const std::string& key, int scale = 1);

    // Takes `folder` as the source of the pictures of `keys` and decodes the set `scale` now
    // (1 by default: the cheapest, and the one every finer set falls back to), so that a
    // missing or undecodable file stops start-up: on the first one returns its error and keeps
    // nothing. Every other set is decoded when first painted from.
    std::optional<PictureError> Load(const QString& folder, const std::set<std::string>& keys,
                                     int scale = 1);

    // Adds or replaces one picture of a set (tests, generated pictures).
    void Insert(const std::string& key, const QImage& picture, int scale = 1);

    // The 1x picture as it is, or with its background colour keyed out; null if unknown.
    const QImage* Find(const std::string& key, bool transparent) const;
    // The picture from set `scale`, decoding that set on first use. A set that cannot be
    // decoded is reported once and the picture comes from the finest set that can.
    ScaledPicture FindAt(const std::string& key, bool transparent, int scale) const;

    // The outline's coverage in alpha (colour black) at `scale`, or the nearest there is; no
    // image if the folder has no outline.
    ScaledPicture OutlineAt(int scale) const;

    // How many pictures the set decoded by Load holds.
    std::size_t Size() const;
    // Whether set `scale` has been decoded (or filled by Insert).
    bool Decoded(int scale) const;

    // The picture with every pixel of its bottom-left pixel's colour made fully transparent.
    static QImage KeyOutBackground(const QImage& picture);

  private:
    struct Entry {
        QImage Plain;  // RGB32: painted by plain copy
        QImage Keyed;  // ARGB32 premultiplied, made when first asked for
    };
    struct Set {
        bool Tried = false;  // decoded, or decoding failed
        bool Failed = false;
        std::unordered_map<std::string, Entry> Pictures;
        bool OutlineTried = false;
        QImage Outline;
    };

    std::optional<PictureError> DecodeSet(int scale) const;
    Set& SetAt(int scale) const;

    QString folder_;
    std::set<std::string> keys_;
    int loadedScale_ = 1;
    // Decoded on first use from const painting code.
    mutable std::array<Set, kLargestScale + 1> sets_;
};

// Decodes JPEG bytes with libjpeg into an RGB32 image; null image and `error` set on failure.
QImage DecodeJpegImage(const QByteArray& bytes, QString& error);

}  // namespace zarq
