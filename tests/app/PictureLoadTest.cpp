// Loading the pictures: JPEG through libjpeg, PNG through Qt, the key colour, and the errors
// that stop start-up.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "desktop/window/JpegDecoder.h"
#include "desktop/window/PictureSet.h"
#include "tests/app/TestPictures.h"
#include "tests/harness/Harness.h"

namespace zarq::test {
namespace {

QByteArray JpegOf(const QImage& image, int quality = 90) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", quality));
    return bytes;
}

QImage Gradient(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 128));
    }
    return image;
}

int Distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
}

TEST(JpegDecoding, APhotographDecodesToItsSizeAndColours) {
    const QImage source = Gradient(58, 55);
    QString error;
    const QImage decoded = DecodeJpegImage(JpegOf(source, 95), error);
    ASSERT_FALSE(decoded.isNull()) << error.toStdString();
    EXPECT_EQ(decoded.size(), QSize(58, 55));
    for (QPoint p : {QPoint(0, 0), QPoint(57, 0), QPoint(30, 27), QPoint(0, 54), QPoint(57, 54)}) {
        EXPECT_LT(Distance(decoded.pixel(p), source.pixel(p)), 30) << p.x() << "," << p.y();
    }
}

TEST(JpegDecoding, AGreyPhotographComesOutInColourFormat) {
    QImage grey = Gradient(32, 16).convertToFormat(QImage::Format_Grayscale8);
    QString error;
    const QImage decoded = DecodeJpegImage(JpegOf(grey), error);
    ASSERT_FALSE(decoded.isNull()) << error.toStdString();
    EXPECT_EQ(decoded.format(), QImage::Format_RGB32);
    const QRgb p = decoded.pixel(20, 8);
    EXPECT_LE(std::abs(qRed(p) - qBlue(p)), 2);
}

TEST(JpegDecoding, DamagedDataIsAnErrorNotACrash) {
    const QByteArray good = JpegOf(Gradient(64, 64));
    QByteArray noMarker = good;
    noMarker[0] = 'X';
    QByteArray garbledScan = good;
    for (qsizetype i = good.size() / 2; i < good.size() - 2; ++i) garbledScan[i] = '\xFF';
    const QByteArray cases[] = {QByteArray(),   QByteArray("not a picture"),
                                noMarker,       good.left(good.size() / 2),
                                good.left(200), garbledScan};
    for (const QByteArray& bytes : cases) {
        QString error;
        const QImage decoded = DecodeJpegImage(bytes, error);
        EXPECT_TRUE(decoded.isNull()) << bytes.size();
        EXPECT_FALSE(error.isEmpty()) << bytes.size();
    }
}

TEST(JpegDecoding, AHugeDeclaredSizeIsRefusedBeforeAnyAllocation) {
    QByteArray bytes = JpegOf(Gradient(16, 16));
    // The frame header (SOF0: FF C0, length, precision, height, width) announces 60000 x 60000.
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    for (qsizetype at : {sof + 5, sof + 7}) {
        bytes[at] = static_cast<char>(0xEA);
        bytes[at + 1] = static_cast<char>(0x60);
    }
    RgbPicture out;
    std::string error;
    EXPECT_FALSE(DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                            static_cast<std::size_t>(bytes.size()), out, error));
    EXPECT_NE(error.find("60000"), std::string::npos) << error;
    EXPECT_TRUE(out.Rgb.empty());
}

TEST(KeyColour, TheBottomLeftColourBecomesClearEverywhereAndNothingElse) {
    QImage picture(4, 3, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 0));
    picture.setPixel(1, 1, qRgb(0x40, 0xFF, 0xFF));
    picture.setPixel(2, 1, qRgb(1, 0, 0));  // near the key colour but not it
    picture.setPixel(0, 2, qRgb(0, 0, 0));
    const QImage keyed = PictureSet::KeyOutBackground(picture);
    EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(keyed.pixel(3, 2)), 0);
    EXPECT_EQ(keyed.pixel(1, 1), qRgba(0x40, 0xFF, 0xFF, 255));
    EXPECT_EQ(keyed.pixel(2, 1), qRgba(1, 0, 0, 255));
}

TEST(KeyColour, AnyBackgroundColourIsKeyedNotOnlyBlack) {
    QImage picture(3, 3, QImage::Format_RGB32);
    picture.fill(qRgb(0xFF, 0xFF, 0xFF));
    picture.setPixel(0, 2, qRgb(10, 20, 30));
    picture.setPixel(2, 0, qRgb(10, 20, 30));
    const QImage keyed = PictureSet::KeyOutBackground(picture);
    EXPECT_EQ(qAlpha(keyed.pixel(0, 2)), 0);
    EXPECT_EQ(qAlpha(keyed.pixel(2, 0)), 0);
    EXPECT_EQ(qAlpha(keyed.pixel(1, 1)), 255);
}

class PictureLoading : public ::testing::Test {
  protected:
    Toy toy;
    PictureFolder folder{toy.F()};
    QTemporaryDir copy;
    std::set<std::string> keys = PictureKeysOf(toy.F());

    // A copy of the pictures in which `name` is replaced by `bytes` (or removed).
    QString CopyWith(const QString& name, const QByteArray* bytes) {
        for (const std::string& key : keys) {
            const QString file = PictureSet::FileName(key);
            QFile::copy(folder.Path() + '/' + file, copy.path() + '/' + file);
        }
        QFile::remove(copy.path() + '/' + name);
        if (bytes != nullptr) {
            QFile f(copy.path() + '/' + name);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(*bytes);
        }
        return copy.path();
    }
};

TEST_F(PictureLoading, EveryPictureOfThePanelLoadsWithItsElementsSize) {
    PictureSet pictures;
    const auto error = pictures.Load(folder.Path(), keys);
    ASSERT_FALSE(error) << error->Text().toStdString();
    EXPECT_EQ(pictures.Size(), keys.size());
    for (const std::string& key : keys) {
        const TRect& b = toy.F().FindElement(key)->Bounds();
        EXPECT_EQ(pictures.Find(key, false)->size(), QSize(b.Width, b.Height)) << key;
    }
    // The photographs and the digit sources are among them.
    for (const char* key : {"Im_Base", "Puls_Speed", "Im_Num0", "Im_Num9", "Im_BarH15"}) {
        EXPECT_EQ(keys.count(key), 1u) << key;
    }
    EXPECT_EQ(PictureSet::FileName("Im_Base"), "Im_Base.jpg");
    EXPECT_EQ(PictureSet::FileName("Puls_Speed"), "Puls_Speed.jpg");
    EXPECT_EQ(PictureSet::FileName("Puls_On"), "Puls_On.png");
}

TEST_F(PictureLoading, TheProgramCarriesEveryPictureAndTheOutlineInItself) {
    EXPECT_TRUE(folder.Real()) << "assets/pictures is incomplete; the tests ran on stand-ins";
    PictureSet embedded;
    const auto error = embedded.Load(PictureSet::ResourceFolder(), keys);
    ASSERT_FALSE(error) << error->Text().toStdString();
    EXPECT_EQ(embedded.Size(), keys.size());
    EXPECT_EQ(embedded.Find("Im_Base", false)->size(), QSize(490, 580));
    QFile mask(QStringLiteral(":/Mask2.bin"));
    ASSERT_TRUE(mask.open(QIODevice::ReadOnly));
    EXPECT_EQ(mask.size(), 2100);
}

TEST_F(PictureLoading, AMissingPhotographIsNamedInTheError) {
    PictureSet pictures;
    const auto error = pictures.Load(CopyWith("Im_Base.jpg", nullptr), keys);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->File, "Im_Base.jpg");
    EXPECT_TRUE(error->Text().contains("Im_Base.jpg"));
    EXPECT_EQ(pictures.Size(), 0u);
}

TEST_F(PictureLoading, ACorruptPhotographIsNamedInTheError) {
    QFile original(folder.Path() + "/Puls_Speed.jpg");
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray cut = original.readAll().left(300);
    PictureSet pictures;
    const auto error = pictures.Load(CopyWith("Puls_Speed.jpg", &cut), keys);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->File, "Puls_Speed.jpg");
    EXPECT_FALSE(error->Reason.isEmpty());
}

TEST_F(PictureLoading, ACorruptOrMissingDrawnPictureIsNamedToo) {
    const QByteArray junk("\x89PNG\r\n\x1a\n but no more", 21);
    PictureSet a;
    const auto corrupt = a.Load(CopyWith("Im_Zarq5.png", &junk), keys);
    ASSERT_TRUE(corrupt);
    EXPECT_EQ(corrupt->File, "Im_Zarq5.png");
    PictureSet b;
    const auto missing = b.Load(CopyWith("Im_XomMid.png", nullptr), keys);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->File, "Im_XomMid.png");
}

}  // namespace
}  // namespace zarq::test
