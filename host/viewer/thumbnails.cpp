#include "host/viewer/thumbnails.h"

#include "contract/host_interfaces.h"
#include "host/imaging/picture_family.h"
#include "host/imaging/picture_renderer.h"
#include "host/selection.h"
#include "pal/hresult_error.h"
#include "pal/window/qt/gui_thread.h"

#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStyle>
#include <algorithm>

namespace viewer {

namespace {

constexpr int kPathRole = Qt::UserRole;

QString ToQString(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

// Every icon on the same square, centred, so names line up under any shape.
QIcon OnSquare(const QPixmap& picture, int edge)
{
    QPixmap square(edge, edge);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    painter.drawPixmap((edge - picture.width()) / 2, (edge - picture.height()) / 2, picture);
    painter.end();
    return QIcon(square);
}

// What the host's codecs refuse, Qt may still show: it goes by content where
// they go by extension (a PNG named .jpg).
QImage ReadWithQt(const std::filesystem::path& file, int edge)
{
    QImageReader reader(ToQString(file));
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return {};
    if (size.width() > edge || size.height() > edge) size.scale(edge, edge, Qt::KeepAspectRatio);
    reader.setScaledSize(size.expandedTo(QSize(1, 1)));
    return reader.read();
}

} // namespace

QImage RenderThumbnail(const std::filesystem::path& file, int edge)
{
    try {
        const pal::ComPtr<IWICBitmapSource> bitmap =
            host::imaging::RenderPicture(file, host::imaging::CheckedFamily(file), static_cast<unsigned>(edge),
                                         RENDER_ROTATE_BY_ORIENTATION | RENDER_CONVERT_TO_SRGB);
        UINT width = 0, height = 0;
        pal::ThrowIfFailed(bitmap->GetSize(&width, &height));
        QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_BGR888);
        const auto stride = static_cast<UINT>(image.bytesPerLine());
        pal::ThrowIfFailed(bitmap->CopyPixels(nullptr, stride, stride * height, image.bits()));
        return image;
    } catch (const std::exception&) {
        return ReadWithQt(file, edge);
    }
}

ThumbnailList::ThumbnailList(QWidget* parent)
    : QListWidget(parent),
      generic_(
          OnSquare(QApplication::style()->standardIcon(QStyle::SP_FileIcon).pixmap(kThumbnailEdge / 2), kThumbnailEdge))
{
    setViewMode(QListView::IconMode);
    setIconSize(QSize(kThumbnailEdge, kThumbnailEdge));
    setGridSize(QSize(kThumbnailEdge + 40, kThumbnailEdge + 48));
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(true);
    setTextElideMode(Qt::ElideMiddle);
}

ThumbnailList::~ThumbnailList()
{
    StopRendering();
}

void ThumbnailList::StopRendering()
{
    // The renderer never waits for this thread: it only posts to it.
    if (!renderer_.joinable()) return;
    renderer_.request_stop();
    renderer_.join();
}

void ThumbnailList::ShowFolder(const std::filesystem::path& folder)
{
    StopRendering();
    clear();
    ++folderShown_;
    shown_ = 0;
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file(error) && host::IsPictureFile(entry.path())) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    QPixmap empty(kThumbnailEdge, kThumbnailEdge);
    empty.fill(Qt::transparent);
    const QIcon waiting(empty);
    for (const std::filesystem::path& file : files) {
        auto* item = new QListWidgetItem(waiting, ToQString(file.filename()), this);
        item->setData(kPathRole, ToQString(file));
        item->setToolTip(ToQString(file));
    }
    if (files.empty()) {
        if (allShown_) allShown_();
        return;
    }
    renderer_ = std::jthread([list = QPointer<ThumbnailList>(this), folderShown = folderShown_,
                              files = std::move(files)](std::stop_token stop) {
        for (std::size_t row = 0; row < files.size() && !stop.stop_requested(); ++row) {
            QImage image = RenderThumbnail(files[row]);
            pal::qt::PostToGuiThread([list, folderShown, row = static_cast<int>(row), image = std::move(image)] {
                if (list) list->ShowThumbnail(folderShown, row, image);
            });
        }
    });
}

void ThumbnailList::ShowThumbnail(unsigned folderShown, int row, const QImage& image)
{
    QListWidgetItem* shownItem = item(row);
    if (folderShown != folderShown_ || !shownItem) return;
    shownItem->setIcon(image.isNull() ? generic_ : OnSquare(QPixmap::fromImage(image), kThumbnailEdge));
    if (++shown_ == count() && allShown_) allShown_();
}

std::vector<std::filesystem::path> ThumbnailList::SelectedFiles() const
{
    // In the list's order, as a folder scan would name them, not in the order clicked.
    std::vector<std::filesystem::path> files;
    for (int row = 0; row < count(); ++row)
        if (item(row)->isSelected()) files.push_back(FileAt(row));
    return files;
}

std::filesystem::path ThumbnailList::FileAt(int row) const
{
    const QListWidgetItem* found = item(row);
    return found ? std::filesystem::path(found->data(kPathRole).toString().toStdString()) : std::filesystem::path();
}

} // namespace viewer
