// The shaped-window component on Qt.
#include "desktop/window/TCoolForm.h"

#include <QDebug>
#include <QEvent>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>
#include <cstdint>
#include <span>

#include "core/skin/RegionData.h"

namespace zarq {

namespace {
// Far enough outside any window that clipping gives the same result, and small enough that
// QRect's arithmetic cannot overflow.
constexpr std::int32_t kFar = 1 << 20;

int Clamp(std::int32_t v) {
    return static_cast<int>(std::clamp(v, -kFar, kFar));
}

std::vector<QRect> ToQRects(const std::vector<RegionRect>& rects) {
    std::vector<QRect> out;
    out.reserve(rects.size());
    for (const RegionRect& r : rects) {
        const int l = Clamp(r.Left), t = Clamp(r.Top), rt = Clamp(r.Right), b = Clamp(r.Bottom);
        if (rt > l && b > t) out.emplace_back(l, t, rt - l, b - t);
    }
    return out;
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

bool TCoolForm::LoadMask2(const QByteArray& stored) {
    const DecodedRegion decoded =
        DecodeMask2(std::span(reinterpret_cast<const std::uint8_t*>(stored.constData()),
                              static_cast<std::size_t>(stored.size())));
    if (!decoded.Ok()) return false;  // the window stays rectangular, without a word
    return ApplyRegion(ToQRects(decoded.Region.Rects));
}

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
