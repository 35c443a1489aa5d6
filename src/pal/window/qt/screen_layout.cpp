#include "pal/window/qt/screen_layout.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace pal::qt {

namespace {

class QtScreens : public ScreenLayout {
  public:
    std::vector<Monitor> Monitors() const override
    {
        std::vector<Monitor> monitors;
        for (const QScreen* screen : QGuiApplication::screens())
            monitors.push_back({screen->geometry(), screen->availableGeometry()});
        return monitors;
    }
    QPoint Pointer() const override { return QCursor::pos(); }
};

std::shared_ptr<ScreenLayout>& Override()
{
    static std::shared_ptr<ScreenLayout> layout;
    return layout;
}

} // namespace

const ScreenLayout& CurrentScreenLayout()
{
    static const QtScreens qtScreens;
    if (const auto& layout = Override()) return *layout;
    return qtScreens;
}

void SetScreenLayout(std::shared_ptr<ScreenLayout> layout)
{
    Override() = std::move(layout);
}

} // namespace pal::qt
