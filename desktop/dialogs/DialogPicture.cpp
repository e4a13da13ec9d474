// Painting a dialog's picture from the finest set the screen can show.
#include "desktop/dialogs/DialogPicture.h"

#include <QPainter>

namespace zarq {

DialogPicture::DialogPicture(std::string key, QWidget* parent)
    : QWidget(parent), key_(std::move(key)) {
    setAttribute(Qt::WA_OpaquePaintEvent);  // the picture covers every pixel
}

void DialogPicture::paintEvent(QPaintEvent* /*event*/) {
    const int wanted = PictureSetFor(devicePixelRatioF());
    if (!loaded_) {
        // The set wanted first: a 1x screen never decodes the finer ones. Without it, the
        // 1x set, enlarged, is better than an empty place.
        loaded_ = true;
        auto error = pictures_.Load(PictureSet::ResourceFolder(), {key_}, wanted);
        if (error && wanted != 1) {
            qWarning("%s", qPrintable(error->Text()));
            error = pictures_.Load(PictureSet::ResourceFolder(), {key_}, 1);
        }
        if (error) qWarning("%s", qPrintable(error->Text()));
    }
    const ScaledPicture found = pictures_.FindAt(key_, false, wanted);
    QPainter paint(this);
    if (!found) {
        paint.fillRect(rect(), Qt::black);
        shownScale_ = 0;
        return;
    }
    // Exactly one picture pixel per device pixel needs no filtering; anything else does.
    paint.setRenderHint(QPainter::SmoothPixmapTransform,
                        devicePixelRatioF() != static_cast<qreal>(found.Scale));
    paint.drawImage(QRectF(rect()), *found.Image);
    shownScale_ = found.Scale;
}

}  // namespace zarq
