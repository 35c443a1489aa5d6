#include "contract/orvana_publishing.h"
#include "host/com_apartment.h"
#include "host/commands.h"
#include "host/host_classes.h"
#include "host/json_writer.h"
#include "host/plugin_catalog.h"
#include "host/plugin_session.h"
#include "host/publishing_host.h"
#include "host/state_store.h"
#include "pal/base/prefix.h"
#include "pal/bstr.h"
#include "pal/com/activation.h"
#include "pal/com_ptr.h"
#include "pal/guid_text.h"
#include "pal/hresult_error.h"
#include "pal/utf.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <stdexcept>

namespace host {

namespace {

// Asks one of the plug-in's text questions; nothing when it fails.
std::optional<std::string> AskText(IOrvanaPublishingPlugin* plugin, HRESULT (IOrvanaPublishingPlugin::*method)(BSTR*),
                                   std::string& error)
{
    pal::Bstr text;
    const HRESULT hr = (plugin->*method)(text.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        error = HresultText(hr);
        return std::nullopt;
    }
    return pal::ToUtf8(text.View());
}

std::u16string DisplayNameOf(REFCLSID clsid)
{
    pal::ComPtr<IOrvanaPublishingPlugin> plugin;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IOrvanaPublishingPlugin,
                                plugin.ReleaseAndGetVoidAddress())))
        return {};
    pal::Bstr name;
    plugin->GetDisplayName(name.ReleaseAndGetAddressOf());
    return name.Str();
}

} // namespace

int RunPlugins(const Arguments& args)
{
    ComApartment apartment;
    HostClassRegistration hostClasses;
    const bool json = HasFlag(args, "--json");
    std::string list;
    for (const PluginEntry& entry : FindPublishingPlugins()) {
        const std::string clsid = pal::ToUtf8(pal::GuidToString(entry.clsid));
        const std::string progId = pal::ToUtf8(entry.progId);
        const std::string name = pal::ToUtf8(DisplayNameOf(entry.clsid));
        if (json) {
            if (!list.empty()) list += ",";
            list += JsonObject().Add("clsid", clsid).Add("progId", progId).Add("displayName", name).Str();
        } else {
            std::cout << clsid << "  " << progId << "  " << name << '\n';
        }
    }
    if (json) std::cout << "[" << list << "]\n";
    return 0;
}

int RunInfo(const Arguments& args)
{
    ComApartment apartment;
    HostClassRegistration hostClasses;
    const bool json = HasFlag(args, "--json");

    CLSID clsid = CLSID_ZenfolioPublisher;
    if (const std::string text = OptionValue(args, "--clsid"); !text.empty()) {
        if (!pal::TryParseGuid(pal::ToUtf16(text), clsid)) throw std::runtime_error("not a class id: " + text);
    }

    PluginSession session(StateStore::InPrefix(), false, clsid);
    IOrvanaPublishingPlugin* plugin = session.Plugin();

    tagORVPUBLISHINGCAPABILITIES capabilities = ORVPUBLISHINGCAPS_NONE;
    const HRESULT capabilitiesResult = plugin->GetCapabilities(&capabilities);
    struct Question {
        const char* key;
        const char* label;
        HRESULT (IOrvanaPublishingPlugin::*method)(BSTR*);
    };
    const Question questions[] = {
        {"displayName", "Display name", &IOrvanaPublishingPlugin::GetDisplayName},
        {"description", "Description", &IOrvanaPublishingPlugin::GetDescription},
        {"author", "Author", &IOrvanaPublishingPlugin::GetAuthorInformation},
        {"version", "Version", &IOrvanaPublishingPlugin::GetVersionInformation},
        {"displayState", "Display state", &IOrvanaPublishingPlugin::GetDisplayState},
    };

    JsonObject object;
    object.AddRaw("capabilities", SUCCEEDED(capabilitiesResult) ? std::to_string(capabilities) : "null");
    auto printLine = [](const std::string& label, const std::string& text) {
        std::cout << label << ':' << std::string(label.size() < 15 ? 15 - label.size() : 1, ' ') << text << '\n';
    };
    if (!json) printLine("Capabilities", std::to_string(capabilities));
    for (const Question& question : questions) {
        std::string error;
        const auto answer = AskText(plugin, question.method, error);
        object.Add(question.key, answer);
        if (!json) printLine(question.label, answer ? *answer : "(failed: HRESULT " + error + ")");
    }

    std::string saveFailure;
    try {
        session.Finish();
    } catch (const std::runtime_error& failure) {
        saveFailure = failure.what();
    }
    const std::string stateFile = StateStore::InPrefix().FileFor(clsid).string();
    object.Add("stateFile", stateFile);
    if (json) {
        std::cout << object.Str() << '\n';
    } else {
        printLine("State file", stateFile);
    }
    if (!saveFailure.empty()) {
        std::cerr << "orvana-host: " << saveFailure << '\n';
        return 1;
    }
    return 0;
}

} // namespace host
