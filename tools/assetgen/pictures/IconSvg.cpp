// Writing the scalable icon. Numbers go out through QString::number, which ignores the locale
// (the C library's printf would write decimal commas in some), so the file comes out the same
// on every machine that draws the same shapes.
#include "tools/assetgen/pictures/IconSvg.h"

#include <QString>
#include <algorithm>
#include <stdexcept>
#include <tuple>

#include "tools/assetgen/pictures/Outline.h"

namespace zarq::assetgen {

namespace {

std::string Number(double v) {
    QString text = QString::number(v, 'f', 2);
    while (text.endsWith('0')) text.chop(1);
    if (text.endsWith('.')) text.chop(1);
    if (text == QStringLiteral("-0")) text = QStringLiteral("0");
    return text.toStdString();
}

std::string Point(QPointF p) {
    return Number(p.x()) + " " + Number(p.y());
}

std::string PathData(const QPainterPath& path) {
    std::string d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
            case QPainterPath::MoveToElement:
                if (!d.empty()) d += "Z";
                d += "M" + Point(e);
                break;
            case QPainterPath::LineToElement:
                d += "L" + Point(e);
                break;
            case QPainterPath::CurveToElement:
                if (i + 2 >= path.elementCount()) throw std::runtime_error("a curve cut short");
                d += "C" + Point(e) + " " + Point(path.elementAt(i + 1)) + " " +
                     Point(path.elementAt(i + 2));
                i += 2;
                break;
            case QPainterPath::CurveToDataElement:
                throw std::runtime_error("curve data without its curve");
        }
    }
    return d.empty() ? d : d + "Z";
}

std::string Colour(QColor c) {
    char text[8];
    const char* digits = "0123456789abcdef";
    const int v[] = {c.red(), c.green(), c.blue()};
    text[0] = '#';
    for (int i = 0; i < 3; ++i) {
        text[1 + 2 * i] = digits[v[i] / 16];
        text[2 + 2 * i] = digits[v[i] % 16];
    }
    text[7] = '\0';
    return text;
}

std::string FillRule(const QPainterPath& path) {
    return path.fillRule() == Qt::OddEvenFill ? " fill-rule=\"evenodd\"" : "";
}

// A picture's pixels as rectangles, one path per colour in the order the colours first
// appear: runs along each row, a run continued downwards while the rows below repeat it.
std::string PicturePaths(const QImage& picture, QPoint at, bool transparent) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    struct Run {
        int Left, Right, Top, Bottom;
        QRgb Colour;
    };
    std::vector<Run> done;
    std::vector<Run> open;  // runs reaching the row above
    for (int y = 0; y <= image.height(); ++y) {
        std::vector<Run> row;
        for (int x = 0; y < image.height() && x < image.width();) {
            const QRgb c = image.pixel(x, y);
            int end = x + 1;
            while (end < image.width() && image.pixel(end, y) == c) ++end;
            if (!transparent || c != key) row.push_back({x, end, y, y + 1, c});
            x = end;
        }
        std::vector<Run> next;
        for (Run& r : row) {
            const auto above = std::find_if(open.begin(), open.end(), [&r](const Run& o) {
                return o.Left == r.Left && o.Right == r.Right && o.Colour == r.Colour;
            });
            if (above != open.end()) {
                r.Top = above->Top;
                open.erase(above);
            }
            next.push_back(r);
        }
        done.insert(done.end(), open.begin(), open.end());
        open = std::move(next);
    }
    std::sort(done.begin(), done.end(), [](const Run& a, const Run& b) {
        return std::tie(a.Top, a.Left) < std::tie(b.Top, b.Left);
    });
    std::vector<std::pair<QRgb, std::string>> byColour;
    for (const Run& r : done) {
        auto it = std::find_if(byColour.begin(), byColour.end(),
                               [&r](const auto& entry) { return entry.first == r.Colour; });
        if (it == byColour.end()) it = byColour.insert(byColour.end(), {r.Colour, ""});
        const int w = r.Right - r.Left;
        it->second += "M" + std::to_string(at.x() + r.Left) + " " + std::to_string(at.y() + r.Top) +
                      "h" + std::to_string(w) + "v" + std::to_string(r.Bottom - r.Top) + "h-" +
                      std::to_string(w) + "Z";
    }
    std::string out;
    for (const auto& [colour, d] : byColour) {
        out += "  <path fill=\"" + Colour(QColor(colour)) + "\" d=\"" + d + "\"/>\n";
    }
    return out;
}

}  // namespace

std::string DrawIconSvg(const std::vector<FaceShape>& face, const std::vector<ShownElement>& screen,
                        const std::map<std::string, QImage>& pictures,
                        const std::vector<std::string>& skipped) {
    // The square's side: the toy's height and a margin of 1/64 of the side above and below.
    const double side = kPanelHeight * 64.0 / 62.0;
    const double left = (side - kPanelWidth) / 2;
    const double top = (side - kPanelHeight) / 2;
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"" +
           Number(-left) + " " + Number(-top) + " " + Number(side) + " " + Number(side) + "\">\n";
    std::string gradients;
    std::string shapes;
    for (const FaceShape& shape : face) {
        if (shape.Gradient.isEmpty()) {
            shapes += "  <path fill=\"" + Colour(shape.Colour) + "\"" + FillRule(shape.Path) +
                      " d=\"" + PathData(shape.Path) + "\"/>\n";
            continue;
        }
        const std::string id = "fill" + std::to_string(gradients.empty() ? 1 : 2);
        const QRectF box = shape.Path.boundingRect();
        gradients += "  <linearGradient id=\"" + id +
                     "\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"" + Number(box.top()) +
                     "\" x2=\"0\" y2=\"" + Number(box.bottom()) + "\">\n";
        for (const auto& [at, colour] : shape.Gradient) {
            gradients +=
                "    <stop offset=\"" + Number(at) + "\" stop-color=\"" + Colour(colour) + "\"/>\n";
        }
        gradients += "  </linearGradient>\n";
        shapes += "  <path fill=\"url(#" + id + ")\"" + FillRule(shape.Path) + " d=\"" +
                  PathData(shape.Path) + "\"/>\n";
    }
    for (const ShownElement& element : screen) {
        if (std::find(skipped.begin(), skipped.end(), element.Picture) != skipped.end()) continue;
        const auto picture = pictures.find(element.Picture);
        if (picture == pictures.end()) {
            throw std::runtime_error("no picture " + element.Picture + " for the icon");
        }
        shapes += PicturePaths(picture->second, QPoint(element.Bounds.Left, element.Bounds.Top),
                               element.Transparent);
    }
    if (!gradients.empty()) svg += " <defs>\n" + gradients + " </defs>\n";
    return svg + shapes + "</svg>\n";
}

}  // namespace zarq::assetgen
