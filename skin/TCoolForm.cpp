// The shaped-window component on Qt.
#include "TCoolForm.h"

#include <QDebug>
#include <QEvent>
#include <QMouseEvent>
#include <QWindow>

#include <cstdint>

namespace zarq {

namespace {
// Stand-in for the region-data codec until it lands: the rectangles of a stored value, or
// none when the value is not a well-formed rectangle list.
std::int32_t ReadInt32(const QByteArray& b, qsizetype at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return static_cast<std::int32_t>(v);
}

std::vector<QRect> DecodeMask2(const QByteArray& stored) {
    if (stored.size() < 4) return {};
    const std::int32_t n = ReadInt32(stored, 0);
    if (n < 32 || n > stored.size() - 4) return {};
    if (ReadInt32(stored, 4) != 32 || ReadInt32(stored, 8) != 1) return {};
    const std::int32_t count = ReadInt32(stored, 12);
    if (count <= 0 || count > (n - 32) / 16) return {};
    std::vector<QRect> rects;
    for (std::int32_t i = 0; i < count; ++i) {
        const qsizetype at = 4 + 32 + 16 * static_cast<qsizetype>(i);
        const int l = ReadInt32(stored, at), t = ReadInt32(stored, at + 4);
        const int r = ReadInt32(stored, at + 8), b = ReadInt32(stored, at + 12);
        if (r > l && b > t) rects.emplace_back(l, t, r - l, b - t);
    }
    return rects;
}
}  // namespace

TCoolForm::TCoolForm(QWidget* parent) : QWidget(nullptr) {
    setObjectName(QStringLiteral("CoolForm1"));
    if (parent != nullptr) SetParent(parent);
}

void TCoolForm::SetParent(QWidget* parent) {
    if (QWidget* old = parentWidget()) old->removeEventFilter(this);
    setParent(parent);  // leaves the component hidden until shown
    if (parent == nullptr) return;
    if (parent->isWindow()) {
        parent->setWindowFlags(parent->windowFlags() | Qt::FramelessWindowHint);
    } else {
        // Only a top-level window can lose its frame; the component then only sits there.
        qWarning("Drop the CoolForm on a FORM!");
    }
    parent->installEventFilter(this);
    FillParent();
}

void TCoolForm::FillParent() {
    if (QWidget* parent = parentWidget()) setGeometry(0, 0, parent->width(), parent->height());
}

bool TCoolForm::LoadMask2(const QByteArray& stored) { return ApplyRegion(DecodeMask2(stored)); }

bool TCoolForm::ApplyRegion(const std::vector<QRect>& rects) {
    QWidget* parent = parentWidget();
    if (parent == nullptr) return false;
    const QRect window(0, 0, parent->width(), parent->height());
    QRegion outline;
    for (const QRect& r : rects) {
        const QRect inside = r.intersected(window);
        if (!inside.isEmpty()) outline += inside;
    }
    if (outline.isEmpty()) return false;
    outline_ = outline;
    parent->setMask(outline_);
    return true;
}

void TCoolForm::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    event->accept();
    if (QWindow* handle = window()->windowHandle()) handle->startSystemMove();
}

void TCoolForm::moveEvent(QMoveEvent*) {
    // The component never leaves the corner, whatever top or left it is given.
    if (pos() != QPoint(0, 0)) move(0, 0);
}

bool TCoolForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) FillParent();
    return QWidget::eventFilter(watched, event);
}

}  // namespace zarq
