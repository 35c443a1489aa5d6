// The folder's pictures as a grid of thumbnails, one per file, in the order
// a folder scan gives them; each item keeps its file's path.
#pragma once

#include <QIcon>
#include <QImage>
#include <QListWidget>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

namespace viewer {

inline constexpr int kThumbnailEdge = 128;

// The picture as the host's imaging service renders it for the plug-in
// (camera raws and TIFF files included), scaled to fit a square of edge
// pixels, upright, in sRGB; else as Qt reads it; a null image for a file
// neither can decode. Safe on any thread.
QImage RenderThumbnail(const std::filesystem::path& file, int edge = kThumbnailEdge);

class ThumbnailList : public QListWidget {
  public:
    explicit ThumbnailList(QWidget* parent = nullptr);
    // Stops the thumbnails still being rendered.
    ~ThumbnailList() override;
    ThumbnailList(const ThumbnailList&) = delete;
    ThumbnailList& operator=(const ThumbnailList&) = delete;

    // Replaces the items with the picture files directly inside folder, at
    // once, each on an empty square; their thumbnails are rendered on a thread
    // of their own and shown as they come, so a folder of camera raws opens
    // without a wait. Files that cannot be decoded get a generic file icon.
    void ShowFolder(const std::filesystem::path& folder);
    // True once every item of the folder shown last has its icon.
    bool AllThumbnailsShown() const { return shown_ == count(); }
    // Called on the GUI thread each time a folder's last thumbnail is shown.
    void OnAllThumbnailsShown(std::function<void()> callback) { allShown_ = std::move(callback); }

    std::vector<std::filesystem::path> SelectedFiles() const;
    std::filesystem::path FileAt(int row) const;

  private:
    void StopRendering();
    void ShowThumbnail(unsigned folderShown, int row, const QImage& image);

    QIcon generic_;
    std::jthread renderer_;
    // Which ShowFolder a rendered thumbnail belongs to: late ones of an
    // earlier folder are dropped.
    unsigned folderShown_ = 0;
    int shown_ = 0;
    std::function<void()> allShown_;
};

} // namespace viewer
