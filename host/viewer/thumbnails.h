// The folder's pictures as a grid of thumbnails, one per file, in the order
// a folder scan gives them; each item keeps its file's path.
#pragma once

#include <QIcon>
#include <QListWidget>
#include <filesystem>
#include <vector>

namespace viewer {

inline constexpr int kThumbnailEdge = 128;

// The picture scaled while it is read to fit a square of edge pixels, turned
// as its orientation says; a null icon when Qt cannot decode the file.
QIcon ReadThumbnail(const std::filesystem::path& file, int edge = kThumbnailEdge);

class ThumbnailList : public QListWidget {
  public:
    explicit ThumbnailList(QWidget* parent = nullptr);

    // Replaces the items with the picture files directly inside folder, each
    // centred on a square. Files Qt cannot decode show a generic file icon.
    void ShowFolder(const std::filesystem::path& folder);

    std::vector<std::filesystem::path> SelectedFiles() const;
    std::filesystem::path FileAt(int row) const;
};

} // namespace viewer
