// A reader of the icon's SVG on QXmlStreamReader, drawing each path as it comes.
#include "tests/pictures/SvgPainter.h"

#include <QColor>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QXmlStreamReader>
#include <cctype>
#include <cstdlib>
#include <map>

namespace zarq::test {

namespace {

// The path data, or nullopt-like failure through `ok`.
QPainterPath ParsePath(const std::string& d, bool& ok) {
    QPainterPath path;
    std::size_t i = 0;
    char command = 0;
    const auto number = [&]() {
        while (i < d.size() && (d[i] == ' ' || d[i] == ',')) ++i;
        char* end = nullptr;
        const double v = std::strtod(d.c_str() + i, &end);
        if (end == d.c_str() + i) ok = false;
        i = static_cast<std::size_t>(end - d.c_str());
        return v;
    };
    while (ok && i < d.size()) {
        if (std::isalpha(static_cast<unsigned char>(d[i]))) command = d[i++];
        const QPointF at = path.currentPosition();
        switch (command) {
            case 'M': {
                const double x = number();
                path.moveTo(x, number());
                break;
            }
            case 'L': {
                const double x = number();
                path.lineTo(x, number());
                break;
            }
            case 'C': {
                double v[6];
                for (double& x : v) x = number();
                path.cubicTo(v[0], v[1], v[2], v[3], v[4], v[5]);
                break;
            }
            case 'H':
                path.lineTo(number(), at.y());
                break;
            case 'V':
                path.lineTo(at.x(), number());
                break;
            case 'h':
                path.lineTo(at.x() + number(), at.y());
                break;
            case 'v':
                path.lineTo(at.x(), at.y() + number());
                break;
            case 'Z':
            case 'z':
                path.closeSubpath();
                break;
            default:
                ok = false;
        }
        while (i < d.size() && d[i] == ' ') ++i;
    }
    return path;
}

}  // namespace

QImage PaintSvg(const std::string& text, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter paint(&image);
    paint.setRenderHint(QPainter::Antialiasing, true);
    paint.setPen(Qt::NoPen);
    std::map<QString, QLinearGradient> gradients;
    QString gradient;
    QXmlStreamReader xml(QByteArray::fromStdString(text));
    bool ok = true;
    while (ok && !xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QXmlStreamAttributes a = xml.attributes();
        const auto value = [&a](const char* name) {
            return a.value(QLatin1String(name)).toString();
        };
        const QStringView name = xml.name();
        if (name == QLatin1String("svg")) {
            const QStringList box = value("viewBox").split(' ');
            if (box.size() != 4) return {};
            paint.scale(size / box[2].toDouble(), size / box[3].toDouble());
            paint.translate(-box[0].toDouble(), -box[1].toDouble());
        } else if (name == QLatin1String("linearGradient")) {
            gradient = value("id");
            gradients[gradient] = QLinearGradient(value("x1").toDouble(), value("y1").toDouble(),
                                                  value("x2").toDouble(), value("y2").toDouble());
        } else if (name == QLatin1String("stop")) {
            gradients[gradient].setColorAt(value("offset").toDouble(), QColor(value("stop-color")));
        } else if (name == QLatin1String("path")) {
            QPainterPath path = ParsePath(value("d").toStdString(), ok);
            path.setFillRule(value("fill-rule") == QLatin1String("evenodd") ? Qt::OddEvenFill
                                                                            : Qt::WindingFill);
            const QString fill = value("fill");
            if (fill.startsWith(QLatin1String("url(#"))) {
                const auto g = gradients.find(fill.mid(5, fill.size() - 6));
                if (g == gradients.end()) return {};
                paint.setBrush(g->second);
            } else {
                const QColor colour(fill);
                if (!colour.isValid()) return {};
                paint.setBrush(colour);
            }
            paint.drawPath(path);
        } else if (name != QLatin1String("defs")) {
            return {};
        }
    }
    paint.end();
    return ok && !xml.hasError() ? image.convertToFormat(QImage::Format_ARGB32) : QImage();
}

}  // namespace zarq::test
