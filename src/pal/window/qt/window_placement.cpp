#include "pal/window/qt/window_placement.h"

#include <QWidget>
#include <algorithm>
#include <limits>

namespace pal::qt {

namespace {

long long Area(const QRect& rect)
{
    return rect.isEmpty() ? 0 : static_cast<long long>(rect.width()) * rect.height();
}

// Squared gap between two rectangles; 0 when they touch or overlap.
long long Gap(const QRect& a, const QRect& b)
{
    const long long dx = std::max({0, b.left() - a.right(), a.left() - b.right()});
    const long long dy = std::max({0, b.top() - a.bottom(), a.top() - b.bottom()});
    return dx * dx + dy * dy;
}

// Centres as the window manager's arithmetic does: half the size to each
// side, rounded down (QRect::center is one pixel short for even sizes).
QPoint CentreOf(const QRect& rect)
{
    return rect.topLeft() + QPoint(rect.width() / 2, rect.height() / 2);
}

QRect CentredAt(QRect rect, QPoint centre)
{
    rect.moveTopLeft(centre - QPoint(rect.width() / 2, rect.height() / 2));
    return rect;
}

} // namespace

Monitor NearestMonitor(const std::vector<Monitor>& monitors, const QRect& rect)
{
    if (monitors.empty()) return {rect, rect};
    const Monitor* best = &monitors.front();
    long long bestOverlap = -1;
    long long bestGap = std::numeric_limits<long long>::max();
    for (const Monitor& monitor : monitors) {
        const long long overlap = Area(monitor.geometry.intersected(rect));
        const long long gap = Gap(monitor.geometry, rect);
        if (overlap > bestOverlap || (overlap == 0 && bestOverlap == 0 && gap < bestGap)) {
            best = &monitor;
            bestOverlap = overlap;
            bestGap = gap;
        }
    }
    return *best;
}

Monitor NearestMonitor(const std::vector<Monitor>& monitors, QPoint point)
{
    return NearestMonitor(monitors, QRect(point, QSize(1, 1)));
}

QRect KeepInside(QRect rect, const QRect& area)
{
    const int width = std::min(rect.width(), area.width());
    const int height = std::min(rect.height(), area.height());
    rect.moveLeft(std::clamp(rect.left(), area.left(), area.left() + area.width() - width));
    rect.moveTop(std::clamp(rect.top(), area.top(), area.top() + area.height() - height));
    return rect;
}

QRect PointerPlacement(QRect frame, const ScreenLayout& layout)
{
    const QPoint pointer = layout.Pointer();
    return KeepInside(CentredAt(frame, pointer), NearestMonitor(layout.Monitors(), pointer).workArea);
}

QRect OwnerCentredPlacement(QRect frame, const std::optional<QRect>& shownOwnerFrame, const ScreenLayout& layout)
{
    const std::vector<Monitor> monitors = layout.Monitors();
    frame = CentredAt(frame, CentreOf(shownOwnerFrame ? *shownOwnerFrame : NearestMonitor(monitors, frame).workArea));
    return KeepInside(frame, NearestMonitor(monitors, frame).workArea);
}

void PlaceOnPointer(QWidget* window)
{
    const QRect frame = PointerPlacement(window->frameGeometry(), CurrentScreenLayout());
    window->move(frame.topLeft()); // move() places the frame, as the frame was measured
}

void CentreOverOwner(QWidget* window, const QWidget* owner)
{
    std::optional<QRect> ownerFrame;
    if (owner) {
        const QWidget* ownerWindow = owner->window();
        if (ownerWindow->isVisible() && !ownerWindow->isMinimized()) ownerFrame = ownerWindow->frameGeometry();
    }
    const QRect frame = OwnerCentredPlacement(window->frameGeometry(), ownerFrame, CurrentScreenLayout());
    window->move(frame.topLeft());
}

} // namespace pal::qt
