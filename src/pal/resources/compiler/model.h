// What a resource manifest describes, as orvana-rc reads it.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pal::rc {

// A fault in a manifest or in a file it names; the text starts "file:line: ".
struct CompileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct StringEntry {
    unsigned id;
    std::u16string text;
};

struct DataEntry {
    std::string type; // upper case
    unsigned id;
    std::vector<std::uint8_t> bytes;
};

struct VersionEntry {
    std::u16string key;
    std::u16string value;
};

struct Version {
    std::array<std::uint16_t, 4> fileVersion{};
    std::array<std::uint16_t, 4> productVersion{};
    std::uint16_t language = 0x0409; // U.S. English
    std::uint16_t codePage = 1200;   // Unicode
    std::uint32_t fileType = 2;      // VFT_DLL
    std::vector<VersionEntry> strings;
};

struct Module {
    std::vector<StringEntry> strings; // ascending by id
    std::vector<DataEntry> data;
    std::optional<Version> version;
    std::string typeLibrary;                   // C symbol of TYPELIB 1, empty when none
    std::vector<std::filesystem::path> inputs; // every file read, the manifest first
};

} // namespace pal::rc
