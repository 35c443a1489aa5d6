// The folder's pictures as a grid of thumbnails, one per file, in the order
// a folder scan gives them; each item keeps its file's path.
#pragma once

#include <QIcon>
#include <QListWidget>
#include <filesystem>
#include <vector>

namespace viewer {

inline constexpr int kThumbnailEdge = 128;

// The picture as the host's imaging service renders it for the plug-in
// (camera raws and TIFF files included), scaled to fit a square of edge
// pixels, upright, in sRGB; else as Qt reads it; a null icon for a file
// neither can decode.
QIcon ReadThumbnail(const std::filesystem::path& file, int edge = kThumbnailEdge);

class ThumbnailList : public QListWidget {
  public:
    explicit ThumbnailList(QWidget* parent = nullptr);

    // Replaces the items with the picture files directly inside folder, each
    // centred on a square. Files that cannot be decoded show a generic file icon.
    void ShowFolder(const std::filesystem::path& folder);

    std::vector<std::filesystem::path> SelectedFiles() const;
    std::filesystem::path FileAt(int row) const;
};

} // namespace viewer
