// orvana-rc <manifest> -o <source.cpp> [--depfile <file.d>]
// Compiles a resource manifest into the C++ source of a module's resource table.
#include "pal/resources/compiler/emit.h"
#include "pal/resources/compiler/manifest.h"

#include <fstream>
#include <iostream>

namespace {

void Write(const std::filesystem::path& file, const std::string& content)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out) throw pal::rc::CompileError(file.string() + ": cannot be written");
}

int Usage()
{
    std::cerr << "usage: orvana-rc <manifest> -o <source.cpp> [--depfile <file.d>]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::filesystem::path manifest;
    std::filesystem::path output;
    std::filesystem::path depfile;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if ((argument == "-o" || argument == "--depfile") && i + 1 < argc) {
            (argument == "-o" ? output : depfile) = argv[++i];
        } else if (manifest.empty() && !argument.starts_with("-")) {
            manifest = argument;
        } else {
            return Usage();
        }
    }
    if (manifest.empty() || output.empty()) return Usage();

    try {
        const pal::rc::Module module = pal::rc::ReadManifest(manifest);
        Write(output, pal::rc::EmitSource(module, manifest.filename().string()));
        if (!depfile.empty()) Write(depfile, pal::rc::EmitDepfile(module, output));
    } catch (const std::exception& error) {
        std::cerr << "orvana-rc: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
