// demo-pictures: the pictures the demo publishes, and what arrived.
//
//   demo-pictures make DIR        writes a small, varied selection into DIR
//   demo-pictures describe FILE.. one line a file: size, dimensions, metadata
//
// A tool of the demo, built from the tests' picture writers.
#include "tests/support/test_pictures.h"

#include <cstdio>
#include <exiv2/exiv2.hpp>
#include <filesystem>
#include <string>
#include <vips/vips.h>

namespace {

namespace fs = std::filesystem;

int Make(const fs::path& dir)
{
    fs::create_directories(dir / "day 1");
    fs::create_directories(dir / "day 2");
    test_pictures::JpegOptions full;
    full.width = 1600;
    full.height = 1200;
    full.texts = full.camera = full.gps = full.xmp = full.iptc = true;
    test_pictures::WriteJpeg(dir / "Harbour at dawn.jpg", full);
    test_pictures::JpegOptions plain;
    plain.width = 1200;
    plain.height = 800;
    plain.camera = true;
    // Same name, different folders: the second goes up as IMG_0001(2).
    test_pictures::WriteJpeg(dir / "day 1" / "IMG_0001.jpg", plain);
    plain.orientation = 6;
    test_pictures::WriteJpeg(dir / "day 2" / "IMG_0001.jpg", plain);
    test_pictures::WritePng(dir / "Site plan.png", 800, 600);
    // A camera raw, sent converted by the RAW settings, and a scan.
    test_pictures::WriteDng(dir / "IMG_0042.DNG", 600, 400);
    test_pictures::WriteTiff(dir / "Postcard scan.tif", 700, 450);
    // A PNG under a JPEG name: the service shows PNGs, so it goes up as it is.
    test_pictures::WritePng(dir / "Sketch.jpg", 300, 200);
    return 0;
}

std::string Groups(const fs::path& file)
{
    std::string groups;
    const auto add = [&](bool present, const char* name) {
        if (!present) return;
        if (!groups.empty()) groups += ", ";
        groups += name;
    };
    try {
        auto image = Exiv2::ImageFactory::open(file.string());
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        bool camera = false, gps = false, copyright = false;
        for (const auto& datum : exif) {
            camera |= datum.groupName() == "Photo" || datum.key() == "Exif.Image.Model";
            gps |= datum.groupName() == "GPSInfo";
            copyright |= datum.key() == "Exif.Image.Copyright";
        }
        add(copyright, "copyright");
        add(camera, "EXIF");
        add(gps, "GPS");
        add(!image->xmpData().empty(), "XMP");
        add(!image->iptcData().empty(), "IPTC");
        add(image->iccProfileDefined(), "ICC");
    } catch (const Exiv2::Error&) {
    }
    return groups.empty() ? "none" : groups;
}

int Describe(int count, char** files)
{
    if (VIPS_INIT("demo-pictures")) return 1;
    for (int n = 0; n < count; ++n) {
        const fs::path file = files[n];
        VipsImage* image = vips_image_new_from_file(file.c_str(), nullptr);
        std::string size = "not a picture";
        if (image) {
            size = std::to_string(vips_image_get_width(image)) + " x " + std::to_string(vips_image_get_height(image));
            g_object_unref(image);
        }
        std::printf("  %-34s %9ju bytes  %-13s metadata: %s\n", file.filename().c_str(),
                    static_cast<std::uintmax_t>(fs::file_size(file)), size.c_str(), Groups(file).c_str());
    }
    vips_shutdown();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "make" && argc == 3) return Make(argv[2]);
    if (command == "describe") return Describe(argc - 2, argv + 2);
    std::fprintf(stderr, "usage: demo-pictures make DIR | describe FILE...\n");
    return 2;
}
