#include "pal/window/qt/message_box.h"

#include "pal/window/qt/window_placement.h"

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <mutex>

namespace pal::qt {

namespace {

constexpr UINT kIconMask = 0x000000F0;
constexpr UINT kButtonMask = 0x0000000F;
constexpr UINT kOkCancel = 0x00000001;

std::mutex g_placementLock;

QMessageBox::Icon IconOf(UINT type)
{
    switch (type & kIconMask) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QString ToQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Placed when first shown, once Qt knows the box's size (and its frame, if
// a window manager has said).
class PlacedMessageBox : public QMessageBox {
  public:
    PlacedMessageBox(QWidget* owner, std::unique_lock<std::mutex> placement)
        : QMessageBox(owner), owner_(owner), placement_(std::move(placement))
    {
    }

  protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        if (!placement_.owns_lock()) return;
        CentreOverOwner(this, owner_.data());
        placement_.unlock();
    }

  private:
    QPointer<QWidget> owner_;
    std::unique_lock<std::mutex> placement_;
};

} // namespace

int ShowMessageBox(QWidget* owner, std::u16string_view text, std::u16string_view caption, UINT type)
{
    QWidget* ownerWindow = owner ? owner->window() : nullptr;
    PlacedMessageBox box(ownerWindow, std::unique_lock(g_placementLock));
    box.setWindowModality(ownerWindow ? Qt::WindowModal : Qt::ApplicationModal);
    box.setIcon(IconOf(type));
    box.setWindowTitle(ToQString(caption));
    box.setText(ToQString(text));
    box.setTextFormat(Qt::PlainText);
    if ((type & kButtonMask) == kOkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Cancel ? IDCANCEL : IDOK;
}

} // namespace pal::qt
