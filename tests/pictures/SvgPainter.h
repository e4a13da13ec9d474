// Paints the small part of SVG the scalable icon is written in (a viewBox, paths of M, L, C,
// H, V, h, v and Z with plain colours or vertical linear gradients, either fill rule) with
// QPainter, so that a test sees the file as a renderer would.
#pragma once

#include <QImage>
#include <string>

namespace zarq::test {

// The SVG `text` painted into a transparent square of `size` pixels; a null image when the
// text holds anything beyond that part of SVG.
QImage PaintSvg(const std::string& text, int size);

}  // namespace zarq::test
