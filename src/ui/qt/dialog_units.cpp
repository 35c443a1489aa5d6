#include "dialog_units.h"

#include <QApplication>
#include <QFontMetrics>

namespace orvana::qt {

namespace {

// a * b / c rounded half away from zero, as MulDiv does for these positive values.
int MulDiv(int a, int b, int c)
{
    return static_cast<int>((static_cast<long long>(a) * b + c / 2) / c);
}

} // namespace

QFont DialogFont(const DialogResource& resource)
{
    QFont font = QApplication::font();
    font.setPointSize(resource.fontPoints);
    return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int alphabet =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(alphabet / 26 + 1) / 2, metrics.height()};
}

QRect ToPixels(const DialogRect& rect, const DialogBaseUnits& units)
{
    return {MulDiv(rect.x, units.horizontal, 4), MulDiv(rect.y, units.vertical, 8),
            MulDiv(rect.width, units.horizontal, 4), MulDiv(rect.height, units.vertical, 8)};
}

QSize ToPixels(int width, int height, const DialogBaseUnits& units)
{
    return {MulDiv(width, units.horizontal, 4), MulDiv(height, units.vertical, 8)};
}

} // namespace orvana::qt
