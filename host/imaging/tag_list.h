// EXIF and GPS tags kept in one of the item record's strings: one tag a line,
// "<ifd> <tag> <type> <values>", so the record alone carries a group to the
// writer and ReleaseHostImageInfo frees it with the record.
//   ifd:    0 (IFD0), e (EXIF), g (GPS)
//   type:   A text (the rest of the line, \n and \\ escaped), B byte, S short,
//           L long, s signed short, l signed long (comma-separated numbers),
//           R rational, r signed rational ("num/den" comma-separated),
//           U undefined (hex bytes)
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace host::imaging {

enum class TagIfd : char { Image = '0', Exif = 'e', Gps = 'g' };
enum class TagType : char {
    Ascii = 'A',
    Byte = 'B',
    Short = 'S',
    Long = 'L',
    SShort = 's',
    SLong = 'l',
    Rational = 'R',
    SRational = 'r',
    Undefined = 'U',
};

struct Rational {
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;
    friend bool operator==(const Rational&, const Rational&) = default;
};

struct TagEntry {
    TagIfd ifd = TagIfd::Image;
    std::uint16_t tag = 0;
    TagType type = TagType::Ascii;
    std::string text;                   // Ascii, UTF-8
    std::vector<std::int64_t> integers; // Byte, Short, Long, SShort, SLong, Undefined
    std::vector<Rational> rationals;    // Rational, SRational
    friend bool operator==(const TagEntry&, const TagEntry&) = default;
};

std::string EncodeTagList(const std::vector<TagEntry>& tags);
// Lines that do not parse (the record is the host's to change) are left out.
std::vector<TagEntry> DecodeTagList(std::string_view text);

} // namespace host::imaging
