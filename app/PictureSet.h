// Every picture of the panel, decoded once at start-up and kept by its key (the name of the
// element that carries it). Photographs are JPEG, the rest PNG; each picture also has a
// keyed copy in which its background colour is see-through, for transparent elements.
#pragma once

#include <QImage>
#include <QString>

#include <optional>
#include <set>
#include <string>
#include <unordered_map>

namespace zarq {

class TForm1;

// Why start-up cannot go on: the file concerned and what is wrong with it.
struct PictureError {
    QString File;
    QString Reason;
    QString Text() const;  // one sentence for a message box
};

class PictureSet {
public:
    // Where the pictures come from in the program: the executable's own resources.
    static QString ResourceFolder() { return QStringLiteral(":/pictures"); }

    // The file that holds a key's picture ("Im_Base.jpg", "Im_Zarq5.png").
    static QString FileName(const std::string& key);

    // Every non-empty picture key that any element of the panel shows, now or later (the digit
    // places borrow the pictures of the digit sources, which are keys of their own).
    static std::set<std::string> KeysOf(const TForm1& form);

    // Decodes the pictures of `keys` from `folder`. On the first missing or undecodable file
    // returns its error and keeps nothing.
    std::optional<PictureError> Load(const QString& folder, const std::set<std::string>& keys);

    // Adds or replaces one picture (tests, generated pictures).
    void Insert(const std::string& key, const QImage& picture);

    // The picture as it is, or with its background colour keyed out; null if unknown.
    const QImage* Find(const std::string& key, bool transparent) const;
    std::size_t Size() const { return pictures_.size(); }

    // The picture with every pixel of its bottom-left pixel's colour made fully transparent.
    static QImage KeyOutBackground(const QImage& picture);

private:
    struct Entry {
        QImage Plain;  // RGB32: painted by plain copy
        QImage Keyed;  // ARGB32 premultiplied
    };
    std::unordered_map<std::string, Entry> pictures_;
};

// Decodes JPEG bytes with libjpeg into an RGB32 image; null image and `error` set on failure.
QImage DecodeJpegImage(const QByteArray& bytes, QString& error);

}  // namespace zarq
