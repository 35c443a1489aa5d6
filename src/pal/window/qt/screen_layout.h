// The monitors, their work areas and the mouse pointer, as the placement of
// dialogs and message boxes sees them. By default what Qt's screens report;
// tests give their own layout, since the offscreen platform has one screen
// whose work area is the whole screen and a pointer nobody moves.
#pragma once

#include <QPoint>
#include <QRect>
#include <memory>
#include <vector>

namespace pal::qt {

struct Monitor {
    QRect geometry;
    QRect workArea;
};

class ScreenLayout {
  public:
    virtual ~ScreenLayout() = default;
    virtual std::vector<Monitor> Monitors() const = 0;
    virtual QPoint Pointer() const = 0;
};

// The layout in force; Qt's screens unless one was set. GUI thread only.
const ScreenLayout& CurrentScreenLayout();
// Null restores Qt's screens.
void SetScreenLayout(std::shared_ptr<ScreenLayout> layout);

// A fixed layout, for tests and for hosts that know better.
class FixedScreenLayout : public ScreenLayout {
  public:
    FixedScreenLayout(std::vector<Monitor> monitors, QPoint pointer) : monitors_(std::move(monitors)), pointer_(pointer)
    {
    }
    std::vector<Monitor> Monitors() const override { return monitors_; }
    QPoint Pointer() const override { return pointer_; }

  private:
    std::vector<Monitor> monitors_;
    QPoint pointer_;
};

} // namespace pal::qt
