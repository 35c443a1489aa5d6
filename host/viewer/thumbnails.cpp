#include "host/viewer/thumbnails.h"

#include "host/selection.h"

#include <QApplication>
#include <QImageReader>
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
    setGridSize(QSize(kThumbnailEdge + 32, kThumbnailEdge + 40));
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
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
    const QIcon generic = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    for (const std::filesystem::path& file : files) {
        QIcon icon = ReadThumbnail(file);
        auto* item = new QListWidgetItem(icon.isNull() ? generic : icon, ToQString(file.filename()), this);
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
