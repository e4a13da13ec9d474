// The screen's trace, computed from the element table and the elements' own pictures.
#include "tools/assetgen/pictures/BaseScreen.h"

#include "tools/assetgen/pictures/Palette.h"

namespace zarq::assetgen {

namespace {

// Marks the lit (non-black) pixels of `picture` placed at `bounds`, which lies on the screen.
void Trace(QImage& screen, const TRect& screenBounds, const TRect& bounds, const QImage& picture,
           int scale) {
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if ((picture.pixel(x, y) | 0xFF000000U) == kBlack) continue;
            screen.setPixel((bounds.Left - screenBounds.Left) * scale + x,
                            (bounds.Top - screenBounds.Top) * scale + y, kUnlit);
        }
    }
}

// Display elements lie wholly on the screen; the photographs behind and around it do not.
bool LiesOn(const TRect& element, const TRect& screen) {
    return element.Left >= screen.Left && element.Top >= screen.Top &&
           element.Left + element.Width <= screen.Left + screen.Width &&
           element.Top + element.Height <= screen.Top + screen.Height;
}

}  // namespace

QImage DrawBaseScreen(const TForm1& form,
                      const std::function<QImage(const std::string& key)>& pictureOf, int scale) {
    const TRect screenBounds = form.Im_BaseScreen->Bounds();
    QImage screen(screenBounds.Width * scale, screenBounds.Height * scale, QImage::Format_RGB32);
    screen.fill(kBlack);
    for (const auto& control : form.Controls()) {
        const auto* image = dynamic_cast<const TImage*>(control.get());
        if (image == nullptr || image == form.Im_BaseScreen) continue;
        if (!LiesOn(image->Bounds(), screenBounds)) continue;
        if (!image->Picture().empty()) {
            Trace(screen, screenBounds, image->Bounds(), pictureOf(image->Picture()), scale);
        }
    }
    for (int place = 1; place <= 4; ++place) {
        const TImage* digitPlace = form.DigitPos[place];
        if (!LiesOn(digitPlace->Bounds(), screenBounds)) continue;
        for (int digit = 0; digit <= 9; ++digit) {
            Trace(screen, screenBounds, digitPlace->Bounds(),
                  pictureOf(form.DigitImage[digit]->Picture()), scale);
        }
    }
    return screen;
}

}  // namespace zarq::assetgen
