#include "host/viewer/thumbnails.h"

#include "host/selection.h"

#include <QApplication>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
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

} // namespace

QIcon ReadThumbnail(const std::filesystem::path& file, int edge)
{
    QImageReader reader(ToQString(file));
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (!size.isValid() || size.isEmpty()) return {};
    // Scaled by the decoder: a camera's JPEG is never decoded at full size.
    if (size.width() > edge || size.height() > edge) size.scale(edge, edge, Qt::KeepAspectRatio);
    reader.setScaledSize(size.expandedTo(QSize(1, 1)));
    const QImage image = reader.read();
    if (image.isNull()) return {};
    return QIcon(QPixmap::fromImage(image));
}

ThumbnailList::ThumbnailList(QWidget* parent) : QListWidget(parent)
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

void ThumbnailList::ShowFolder(const std::filesystem::path& folder)
{
    clear();
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.is_regular_file(error) && host::IsPictureFile(entry.path())) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    const QIcon generic =
        OnSquare(QApplication::style()->standardIcon(QStyle::SP_FileIcon).pixmap(kThumbnailEdge / 2), kThumbnailEdge);
    for (const std::filesystem::path& file : files) {
        const QIcon thumbnail = ReadThumbnail(file);
        const QIcon icon = thumbnail.isNull() ? generic : OnSquare(thumbnail.pixmap(kThumbnailEdge), kThumbnailEdge);
        auto* item = new QListWidgetItem(icon, ToQString(file.filename()), this);
        item->setData(kPathRole, ToQString(file));
        item->setToolTip(ToQString(file));
    }
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
