// The media-type table's reading of mime.types lines.
#include "pal/media/media_type_table.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

TEST(MediaTypeTable, ReadsTypeLinesSkipsCommentsAndKeepsTheFirstTypeOfAnExtension)
{
    std::istringstream text("# image/x-commented cmt\n"
                            "\n"
                            "image/jpeg\t\t\t\tjpeg jpg jpe\n"
                            "text/plain txt # text/x-after after\n"
                            "image/x-first dup\n"
                            "image/x-second dup other\n"
                            "notatype foo\n"
                            "application/x-empty\n"
                            "IMAGE/X-Upper UPX\r\n");
    const auto table = pal::media::MediaTypeTable::Parse(text);
    for (const auto& [extension, type] : {
             std::pair{"jpg", "image/jpeg"},
             std::pair{"JPe", "image/jpeg"},
             std::pair{"txt", "text/plain"},
             std::pair{"dup", "image/x-first"},
             std::pair{"other", "image/x-second"},
             std::pair{"upx", "IMAGE/X-Upper"},
         })
        EXPECT_EQ(type, table.Find(extension).value_or("-")) << extension;
    for (const char* absent : {"cmt", "after", "foo", "notatype", "application/x-empty", "", "#"})
        EXPECT_FALSE(table.Find(absent)) << absent;
}

} // namespace
