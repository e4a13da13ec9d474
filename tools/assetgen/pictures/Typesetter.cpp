// The bold face loaded once from its file, and text turned into scaled, placed outlines.
#include "tools/assetgen/pictures/Typesetter.h"

#include <QFontDatabase>
#include <QTransform>
#include <stdexcept>

namespace zarq::assetgen {

Typesetter::Typesetter(const QString& fontFile) {
    const int id = QFontDatabase::addApplicationFont(fontFile);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (id < 0 || families.isEmpty()) {
        throw std::runtime_error("cannot load the font " + fontFile.toStdString());
    }
    font_ = QFont(families.front());
    font_.setPixelSize(100);
    font_.setHintingPreference(QFont::PreferNoHinting);
    font_.setKerning(true);
}

QPainterPath Typesetter::Text(const QString& text, double size, QPointF at, int align,
                              double spacing) const {
    QFont font = font_;
    font.setLetterSpacing(QFont::AbsoluteSpacing, spacing * 100.0 / size);
    QPainterPath raw;
    raw.addText(0, 0, font, text);
    const double k = size / 100.0;
    QPainterPath path = QTransform::fromScale(k, k).map(raw);
    const QRectF box = path.boundingRect();
    double dx = at.x() - box.center().x();
    if (align > 0) dx = at.x() - box.left();
    if (align < 0) dx = at.x() - box.right();
    return QTransform::fromTranslate(dx, at.y()).map(path);
}

}  // namespace zarq::assetgen
