#include "host/commands.h"
#include "host/module_library.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace host {

bool HasFlag(const Arguments& args, const std::string& flag)
{
    return std::find(args.begin(), args.end(), flag) != args.end();
}

std::string OptionValue(const Arguments& args, const std::string& option)
{
    auto found = std::find(args.begin(), args.end(), option);
    return (found != args.end() && found + 1 != args.end()) ? *(found + 1) : std::string();
}

int RunRegister(const Arguments& args, bool registering)
{
    const bool machine = HasFlag(args, "--machine");
    std::string path = OptionValue(args, "--module");
    if (path.empty()) path = ModuleLibrary::DefaultComponentPath().string();
    const ModuleLibrary module(path);

    HRESULT hr;
    if (machine) {
        hr = registering ? module.RegisterServer() : module.UnregisterServer();
    } else {
        hr = module.Install(registering ? TRUE : FALSE, u"user");
    }
    const char* what = registering ? "register" : "unregister";
    if (FAILED(hr)) {
        std::fprintf(stderr, "orvana-host: %s failed for %s: HRESULT 0x%08x\n", what, path.c_str(),
                     static_cast<unsigned>(hr));
        return 1;
    }
    std::cout << (registering ? "registered " : "unregistered ") << path << (machine ? " (machine)" : " (user)")
              << '\n';
    return 0;
}

} // namespace host
