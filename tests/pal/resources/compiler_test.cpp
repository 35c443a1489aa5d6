#include "pal/resources/compiler/emit.h"
#include "pal/resources/compiler/manifest.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using pal::rc::CompileError;
using testing::HasSubstr;

// The message of the CompileError that f throws.
template <class F> std::string ErrorOf(F f)
{
    try {
        f();
    } catch (const CompileError& error) {
        return error.what();
    }
    return "no error";
}

// A manifest with its files in a fresh folder, removed afterwards.
struct ManifestFolder {
    std::string folder = (std::filesystem::temp_directory_path() / "orvana-rc-XXXXXX").string();
    ManifestFolder() { EXPECT_NE(mkdtemp(folder.data()), nullptr); }
    ~ManifestFolder() { std::filesystem::remove_all(folder); }

    std::filesystem::path Write(const std::string& name, const std::string& content) const
    {
        const std::filesystem::path file = std::filesystem::path(folder) / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }
};

TEST(StringTableFile, TakesTheTextBetweenTheOuterQuotes)
{
    const auto table = pal::rc::ParseStringTable("# comment\n"
                                                 "\n"
                                                 "  7  \"a \"quoted\" word\"  \r\n"
                                                 "2 \" x \"\n"
                                                 "3 \"back\\\\slash \\\"q\\\" new\\nline\\ttab\"\n",
                                                 "t.txt");
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[0].id, 2u) << "entries come back ascending";
    EXPECT_EQ(table[0].text, u" x ");
    EXPECT_EQ(table[1].text, u"back\\slash \"q\" new\nline\ttab");
    EXPECT_EQ(table[2].text, u"a \"quoted\" word");
}

TEST(StringTableFile, ReportsFaultsWithFileAndLine)
{
    const auto parse = [](std::string text) { return [text] { pal::rc::ParseStringTable(text, "t.txt"); }; };
    EXPECT_THAT(ErrorOf(parse("1 \"a\"\n1 \"b\"\n")), HasSubstr("t.txt:2: string 1 is given twice"));
    EXPECT_THAT(ErrorOf(parse("1 no quotes\n")), HasSubstr("t.txt:1: expected a text in double quotes"));
    EXPECT_THAT(ErrorOf(parse("1 \"\n")), HasSubstr("t.txt:1: expected a text"));
    EXPECT_THAT(ErrorOf(parse("65536 \"x\"\n")), HasSubstr("t.txt:1: expected a resource number"));
    EXPECT_THAT(ErrorOf(parse("x1 \"x\"\n")), HasSubstr("expected a resource number"));
    EXPECT_THAT(ErrorOf(parse("1 \"C:\\dir\"\n")), HasSubstr("unknown escape \\d"));
    EXPECT_THAT(ErrorOf(parse("1 \"\xC3\x28\"\n")), HasSubstr("not UTF-8"));
}

TEST(VersionFile, ReadsNumbersTranslationAndValues)
{
    const pal::rc::Version version = pal::rc::ParseVersion("FILEVERSION 1.9.289.0\n"
                                                           "FILETYPE APP\n"
                                                           "TRANSLATION 0x0407 1252\n"
                                                           "VALUE FileDescription \"Some \"thing\"\"\n",
                                                           "v.txt");
    EXPECT_EQ(version.fileVersion, (std::array<std::uint16_t, 4>{1, 9, 289, 0}));
    EXPECT_EQ(version.productVersion, version.fileVersion) << "the product version defaults to the file version";
    EXPECT_EQ(version.fileType, 1u);
    EXPECT_EQ(version.language, 0x0407);
    EXPECT_EQ(version.codePage, 1252);
    ASSERT_EQ(version.strings.size(), 1u);
    EXPECT_EQ(version.strings[0].key, u"FileDescription");
    EXPECT_EQ(version.strings[0].value, u"Some \"thing\"");
}

TEST(VersionFile, ReportsFaults)
{
    const auto parse = [](std::string text) { return [text] { pal::rc::ParseVersion(text, "v.txt"); }; };
    EXPECT_THAT(ErrorOf(parse("VALUE A \"x\"\n")), HasSubstr("v.txt: FILEVERSION is missing"));
    EXPECT_THAT(ErrorOf(parse("FILEVERSION 1.9.289\n")), HasSubstr("v.txt:1: expected a version of four numbers"));
    EXPECT_THAT(ErrorOf(parse("FILEVERSION 1.9.289.0.1\n")), HasSubstr("four numbers"));
    EXPECT_THAT(ErrorOf(parse("FILEVERSION 1.9.65536.0\n")), HasSubstr("four numbers"));
    EXPECT_THAT(ErrorOf(parse("FILEVERSION 1.9.289.0\nTRANSLATION 0x0409\n")),
                HasSubstr("v.txt:2: expected a language"));
    EXPECT_THAT(ErrorOf(parse("FILEVERSION 1.9.289.0\nVALUE A \"x\"\nVALUE a \"y\"\n")),
                HasSubstr("v.txt:3: the value is given twice"));
    EXPECT_THAT(ErrorOf(parse("FILEVERSION 1.9.289.0\nFILETYPE EXE\n")), HasSubstr("FILETYPE is DLL or APP"));
    EXPECT_THAT(ErrorOf(parse("FILEVERSION 1.9.289.0\nCOMPANY x\n")), HasSubstr("v.txt:2: expected FILEVERSION"));
}

TEST(Manifest, ReadsEveryKindOfEntryRelativeToItsFolder)
{
    const ManifestFolder folder;
    folder.Write("text/strings.txt", "5 \"five\"\n");
    folder.Write("text/more.txt", "4 \"four\"\n");
    folder.Write("version.txt", "FILEVERSION 1.2.3.4\n");
    folder.Write("soap/a b.xml", "<x/>");
    const auto manifest = folder.Write("m.manifest", "STRINGTABLE text/strings.txt\n"
                                                     "STRINGTABLE text/more.txt\n"
                                                     "VERSION version.txt\n"
                                                     "Soap 1001 \"soap/a b.xml\"\n"
                                                     "TYPELIB 1 SomeLibrary\n");
    const pal::rc::Module module = pal::rc::ReadManifest(manifest);
    ASSERT_EQ(module.strings.size(), 2u);
    EXPECT_EQ(module.strings[0].text, u"four");
    ASSERT_EQ(module.data.size(), 1u);
    EXPECT_EQ(module.data[0].type, "SOAP") << "type names are upper case, as Windows keeps them";
    EXPECT_EQ(module.data[0].bytes, (std::vector<std::uint8_t>{'<', 'x', '/', '>'}));
    ASSERT_TRUE(module.version);
    EXPECT_EQ(module.typeLibrary, "SomeLibrary");
    EXPECT_EQ(module.inputs.size(), 5u) << "the manifest and every file it names, for the depfile";
}

TEST(Manifest, ReportsFaultsWithFileAndLine)
{
    const ManifestFolder folder;
    folder.Write("a.txt", "1 \"a\"\n");
    folder.Write("b.txt", "1 \"b\"\n");
    folder.Write("x.bin", "x");
    const auto fault = [&](const std::string& text) {
        const auto manifest = folder.Write("m.manifest", text);
        return ErrorOf([&] { pal::rc::ReadManifest(manifest); });
    };
    EXPECT_THAT(fault("STRINGTABLE a.txt\nSTRINGTABLE b.txt\n"), HasSubstr("m.manifest:2: string 1 is also given by"));
    EXPECT_THAT(fault("DATA 1 x.bin\ndata 1 x.bin\n"), HasSubstr("m.manifest:2: DATA 1 is listed twice"));
    EXPECT_THAT(fault("DATA 0 x.bin\n"), HasSubstr("expected a resource number from 1"));
    EXPECT_THAT(fault("DATA 1 missing.bin\n"), HasSubstr("missing.bin: cannot be read"));
    EXPECT_THAT(fault("DATA 1\n"), HasSubstr("expected a file name"));
    EXPECT_THAT(fault("ICON 200 x.bin\n"), HasSubstr("not a valid .ico file"));
    EXPECT_THAT(fault("TYPELIB 2 Lib\n"), HasSubstr("the type library is TYPELIB 1"));
    EXPECT_THAT(fault("TYPELIB 1 not-a-symbol\n"), HasSubstr("expected the C symbol"));
    EXPECT_THAT(fault("TYPELIB 1 A\nTYPELIB 1 B\n"), HasSubstr("a module has one TYPELIB"));
    EXPECT_THAT(fault("9LIVES 1 x.bin\n"), HasSubstr("m.manifest:1: expected a keyword or a resource type name"));
}

TEST(WideLiteral, SpellsAnyCodeUnitExactly)
{
    EXPECT_EQ(pal::rc::WideLiteral(u"plain"), "u\"plain\"");
    EXPECT_EQ(pal::rc::WideLiteral(u"a\"b\\c"), "u\"a\\\"b\\\\c\"");
    // A hex escape would swallow the hex digits after it, so the literal is split.
    EXPECT_EQ(pal::rc::WideLiteral(u"\u00e91z"), "u\"\\x00e9\" u\"1z\"");
    EXPECT_EQ(pal::rc::WideLiteral(u"\u00e9z"), "u\"\\x00e9z\"");
    EXPECT_EQ(pal::rc::WideLiteral(u"\n"), "u\"\\x000a\"");
    EXPECT_EQ(pal::rc::WideLiteral(std::u16string(1, char16_t{0xD83D})), "u\"\\xd83d\"");
}

TEST(Depfile, NamesTheOutputAndEveryInputEscaped)
{
    pal::rc::Module module;
    module.inputs = {"/src/m.manifest", "/src/my file.txt"};
    EXPECT_EQ(pal::rc::EmitDepfile(module, "/out/r.cpp"),
              "/out/r.cpp: \\\n  /src/m.manifest \\\n  /src/my\\ file.txt\n");
}

} // namespace
