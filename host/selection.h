// What the user selected for publishing: the files and folders named on the
// command line, grouped into items as a picture viewer shows them. Files that
// share a folder and a name stem are one item (IMG_1.CR2 and IMG_1.JPG), which
// the plug-in receives as a base path and a list of extensions.
#pragma once

#include <filesystem>
#include <string>
#include <vector>
#include <windows.h>

namespace host {

struct SelectedItem {
    ULONGLONG id = 0;
    // The folder and the stem: the files' full path without dot and extension.
    std::filesystem::path basePath;
    // The item's files in name order; their extensions, without dots, as spelled.
    std::vector<std::filesystem::path> files;
    std::vector<std::string> extensions;
};

class Selection {
  public:
    Selection() = default;

    // A folder brings the picture files directly inside it, sorted by name; a
    // file is taken as given, whatever its extension, so a mislabelled picture
    // can still be published. Items keep the order their first file came in.
    // Throws std::runtime_error naming the path for one that does not exist,
    // is neither a file nor a folder, or is a file without an extension.
    static Selection FromPaths(const std::vector<std::filesystem::path>& paths);

    const std::vector<SelectedItem>& Items() const { return items_; }
    // Null for an identifier this selection did not hand out.
    const SelectedItem* Find(ULONGLONG id) const;
    std::vector<ULONGLONG> Ids() const;

  private:
    std::vector<SelectedItem> items_;
};

// Whether a folder scan takes the file: the extensions the host's decoders
// know (JPEG, PNG, GIF, TIFF and camera raws), in any case.
bool IsPictureFile(const std::filesystem::path& path);

// ";"-joined extensions, the item record's form of the list.
std::string JoinExtensions(const std::vector<std::string>& extensions);

} // namespace host
