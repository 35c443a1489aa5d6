#include "host/selection.h"

#include "host/imaging/picture_family.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <system_error>
#include <utility>

namespace host {

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> PicturesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) throw std::runtime_error("cannot read the folder " + folder.string() + ": " + error.message());
    for (const fs::directory_entry& entry : entries) {
        std::error_code ignored;
        if (entry.is_regular_file(ignored) && IsPictureFile(entry.path())) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().native() < b.filename().native(); });
    return files;
}

// Absolute and without "." or "..", but symbolic links kept: the user's names are the item's.
fs::path Absolute(const fs::path& path)
{
    return fs::absolute(path).lexically_normal();
}

} // namespace

Selection Selection::FromPaths(const std::vector<fs::path>& paths)
{
    std::vector<fs::path> files;
    for (const fs::path& given : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(given, error);
        if (!fs::exists(status)) throw std::runtime_error("no such file or folder: " + given.string());
        if (fs::is_directory(status)) {
            for (const fs::path& file : PicturesIn(given))
                files.push_back(Absolute(file));
        } else if (fs::is_regular_file(status)) {
            if (!given.has_extension())
                throw std::runtime_error("the file " + given.string() +
                                         " has no extension; an item names its files by extension");
            files.push_back(Absolute(given));
        } else {
            throw std::runtime_error("not a file or folder: " + given.string());
        }
    }

    Selection selection;
    std::map<fs::path, std::size_t> itemOfBase;
    for (const fs::path& file : files) {
        fs::path base = fs::path(file).replace_extension();
        auto [found, added] = itemOfBase.try_emplace(base, selection.items_.size());
        if (added) {
            SelectedItem item;
            item.id = selection.items_.size() + 1;
            item.basePath = std::move(base);
            selection.items_.push_back(std::move(item));
        }
        SelectedItem& item = selection.items_[found->second];
        if (std::find(item.files.begin(), item.files.end(), file) == item.files.end()) item.files.push_back(file);
    }
    for (SelectedItem& item : selection.items_) {
        std::sort(item.files.begin(), item.files.end(),
                  [](const fs::path& a, const fs::path& b) { return a.filename().native() < b.filename().native(); });
        for (const fs::path& file : item.files)
            item.extensions.push_back(file.extension().string().substr(1));
    }
    return selection;
}

const SelectedItem* Selection::Find(ULONGLONG id) const
{
    // Identifiers are positions counted from 1.
    if (id == 0 || id > items_.size()) return nullptr;
    return &items_[id - 1];
}

std::vector<ULONGLONG> Selection::Ids() const
{
    std::vector<ULONGLONG> ids;
    for (const SelectedItem& item : items_)
        ids.push_back(item.id);
    return ids;
}

bool IsPictureFile(const fs::path& path)
{
    return imaging::FamilyOfExtension(path).has_value();
}

std::string JoinExtensions(const std::vector<std::string>& extensions)
{
    std::string list;
    for (const std::string& extension : extensions) {
        if (!list.empty()) list += ';';
        list += extension;
    }
    return list;
}

} // namespace host
