// settings: seed and inspect a plug-in's per-user settings key, which the
// plug-in reads through the same registry store.
#include "contract/orvana_publishing.h"
#include "host/commands.h"
#include "host/json_writer.h"
#include "pal/com/guid.h"
#include "pal/guid_text.h"
#include "pal/registry_key.h"
#include "pal/utf.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <vector>

namespace host {

namespace {

constexpr char16_t kPluginsKey[] = u"SOFTWARE\\Brindle\\Orvana\\Publishing\\Plugins\\";

// A mistake in the command line: reported with exit status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct SettingsCommandLine {
    std::vector<std::string> positional;
    std::string type;
    std::string clsid;
    bool json = false;
};

// Only "--" options are options, so negative numbers pass as values; a lone
// "--" ends them for a value that starts with "--".
SettingsCommandLine ParseCommandLine(const Arguments& args, const std::vector<std::string>& allowed)
{
    SettingsCommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.rfind("--", 0) != 0) {
            line.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (std::find(allowed.begin(), allowed.end(), arg) == allowed.end()) throw UsageError("unknown option " + arg);
        if (arg == "--json") {
            line.json = true;
            continue;
        }
        if (i + 1 == args.size()) throw UsageError(arg + " needs a value");
        (arg == "--type" ? line.type : line.clsid) = args[++i];
    }
    return line;
}

CLSID ParseClsid(const std::string& text)
{
    CLSID clsid = CLSID_ZenfolioPublisher;
    if (!text.empty() && !pal::TryParseGuid(pal::ToUtf16(text), clsid))
        throw UsageError("not a class id: " + text + " (expected {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})");
    return clsid;
}

std::u16string SettingsKeyPath(REFCLSID clsid)
{
    return kPluginsKey + pal::GuidToString(clsid);
}

std::string DisplayPath(REFCLSID clsid)
{
    return "HKEY_CURRENT_USER\\" + pal::ToUtf8(SettingsKeyPath(clsid));
}

std::optional<DWORD> ParseDword(const std::string& text)
{
    std::uint32_t number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number, 10);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return number;
}

std::string ErrorText(LSTATUS status)
{
    return "registry error " + std::to_string(status);
}

// One value as stored: the data is kept raw so that a malformed one can still
// be shown.
struct StoredValue {
    std::string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// A pair would need StoredKey complete where it is still being defined.
struct NamedKey;
struct StoredKey {
    std::vector<StoredValue> values;
    std::vector<NamedKey> subkeys;
};
struct NamedKey {
    std::string name;
    StoredKey key;
};

std::vector<StoredValue> ReadValues(HKEY key)
{
    std::vector<StoredValue> values;
    std::u16string name(256, u'\0');
    std::vector<BYTE> data(1024);
    for (DWORD index = 0;;) {
        DWORD nameCount = static_cast<DWORD>(name.size());
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS status = RegEnumValueW(key, index, name.data(), &nameCount, nullptr, &type, data.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_MORE_DATA) {
            // The counts now hold what was needed; doubling covers a value that grew meanwhile.
            name.resize(std::max<std::size_t>(name.size() * 2, nameCount + 1));
            data.resize(std::max<std::size_t>(data.size() * 2, size));
            continue;
        }
        if (status != ERROR_SUCCESS) throw std::runtime_error("cannot list the values: " + ErrorText(status));
        values.push_back({pal::ToUtf8(std::u16string_view(name.data(), nameCount)), type,
                          std::vector<BYTE>(data.begin(), data.begin() + size)});
        ++index;
    }
    return values;
}

std::vector<std::u16string> ReadSubkeyNames(HKEY key)
{
    std::vector<std::u16string> names;
    std::u16string name(256, u'\0');
    for (DWORD index = 0;;) {
        DWORD count = static_cast<DWORD>(name.size());
        const LSTATUS status = RegEnumKeyExW(key, index, name.data(), &count, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_MORE_DATA) {
            name.resize(std::max<std::size_t>(name.size() * 2, count));
            continue;
        }
        if (status != ERROR_SUCCESS) throw std::runtime_error("cannot list the subkeys: " + ErrorText(status));
        names.emplace_back(name.data(), count);
        ++index;
    }
    return names;
}

StoredKey ReadKey(HKEY key)
{
    StoredKey stored{ReadValues(key), {}};
    for (const std::u16string& name : ReadSubkeyNames(key)) {
        pal::RegKey subkey;
        // One deleted since it was listed is simply no longer there.
        if (RegOpenKeyExW(key, name.c_str(), 0, KEY_READ, subkey.ReleaseAndGetAddressOf()) != ERROR_SUCCESS) continue;
        stored.subkeys.push_back(NamedKey{pal::ToUtf8(name), ReadKey(subkey.Get())});
    }
    return stored;
}

const char* TypeName(DWORD type)
{
    switch (type) {
    case REG_NONE:
        return "none";
    case REG_SZ:
        return "string";
    case REG_EXPAND_SZ:
        return "expand";
    case REG_BINARY:
        return "binary";
    case REG_DWORD:
        return "dword";
    case REG_MULTI_SZ:
        return "multi";
    case REG_QWORD:
        return "qword";
    default:
        return "other";
    }
}

std::string HexBytes(const std::vector<BYTE>& data)
{
    std::string text;
    for (const BYTE byte : data) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        if (!text.empty()) text += ' ';
        text += pair;
    }
    return text;
}

// The strings in string data, which need not be terminated (the store keeps
// what the writer counted).
std::vector<std::string> Strings(const std::vector<BYTE>& data)
{
    std::u16string text(data.size() / sizeof(char16_t), u'\0');
    std::memcpy(text.data(), data.data(), text.size() * sizeof(char16_t));
    std::vector<std::string> strings;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(u'\0', start), text.size());
        if (end == start) break; // an empty string ends a multi-string
        strings.push_back(pal::ToUtf8(std::u16string_view(text).substr(start, end - start)));
        start = end + 1;
    }
    return strings;
}

// The data as JSON, which the text form also uses: numbers bare, strings
// quoted, anything malformed for its type as hex.
std::string DataJson(const StoredValue& value)
{
    if (value.type == REG_DWORD && value.data.size() == sizeof(std::uint32_t)) {
        std::uint32_t number;
        std::memcpy(&number, value.data.data(), sizeof number);
        return std::to_string(number);
    }
    if (value.type == REG_QWORD && value.data.size() == sizeof(std::uint64_t)) {
        std::uint64_t number;
        std::memcpy(&number, value.data.data(), sizeof number);
        return std::to_string(number);
    }
    if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
        const auto strings = Strings(value.data);
        return JsonQuote(strings.empty() ? std::string() : strings.front());
    }
    if (value.type == REG_MULTI_SZ) {
        std::string list;
        for (const std::string& text : Strings(value.data))
            list += (list.empty() ? "" : ",") + JsonQuote(text);
        return "[" + list + "]";
    }
    return JsonQuote(HexBytes(value.data));
}

std::string KeyJson(const StoredKey& key)
{
    JsonObject values;
    for (const StoredValue& value : key.values)
        values.AddRaw(value.name, JsonObject().Add("type", TypeName(value.type)).AddRaw("data", DataJson(value)).Str());
    JsonObject subkeys;
    for (const auto& [name, subkey] : key.subkeys)
        subkeys.AddRaw(name, KeyJson(subkey));
    return JsonObject().AddRaw("values", values.Str()).AddRaw("subkeys", subkeys.Str()).Str();
}

void PrintKey(const StoredKey& key, const std::string& indent)
{
    std::size_t nameWidth = 0;
    std::size_t typeWidth = 0;
    auto shownName = [](const StoredValue& value) { return value.name.empty() ? "(default)" : value.name; };
    for (const StoredValue& value : key.values) {
        nameWidth = std::max(nameWidth, shownName(value).size());
        typeWidth = std::max(typeWidth, std::strlen(TypeName(value.type)));
    }
    for (const StoredValue& value : key.values) {
        const std::string name = shownName(value);
        const std::string type = TypeName(value.type);
        std::cout << indent << name << std::string(nameWidth - name.size() + 2, ' ') << type
                  << std::string(typeWidth - type.size() + 2, ' ') << DataJson(value) << '\n';
    }
    for (const auto& [name, subkey] : key.subkeys) {
        std::cout << indent << name << "\\\n";
        PrintKey(subkey, indent + "  ");
    }
}

int SetSetting(const SettingsCommandLine& line)
{
    if (line.positional.size() != 2) throw UsageError("expected NAME VALUE");
    const CLSID clsid = ParseClsid(line.clsid);
    const std::string& name = line.positional[0];
    const std::string& text = line.positional[1];
    if (!line.type.empty() && line.type != "dword" && line.type != "string")
        throw UsageError("--type is dword or string, not " + line.type);

    const std::optional<DWORD> number = ParseDword(text);
    const bool asDword = line.type == "dword" || (line.type.empty() && number);
    if (asDword && !number) throw UsageError("'" + text + "' is not a dword (a decimal number from 0 to 4294967295)");

    pal::RegKey key;
    DWORD disposition = 0;
    if (const LSTATUS status =
            RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKeyPath(clsid).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, key.ReleaseAndGetAddressOf(), &disposition);
        status != ERROR_SUCCESS) {
        std::cerr << "orvana-host: cannot create " << DisplayPath(clsid) << ": " << ErrorText(status) << '\n';
        return 1;
    }
    if (disposition == REG_CREATED_NEW_KEY) std::cout << "created " << DisplayPath(clsid) << '\n';

    const std::u16string wideName = pal::ToUtf16(name);
    const std::u16string wideText = pal::ToUtf16(text);
    if (const LSTATUS status = asDword ? pal::SetDWORDValue(key.Get(), wideName.c_str(), *number)
                                       : pal::SetStringValue(key.Get(), wideName.c_str(), wideText);
        status != ERROR_SUCCESS) {
        std::cerr << "orvana-host: cannot set " << name << " under " << DisplayPath(clsid) << ": " << ErrorText(status)
                  << '\n';
        return 1;
    }
    // Shown as stored: a string as it reads back after the conversion.
    const std::string shown = asDword ? std::to_string(*number) : JsonQuote(pal::ToUtf8(wideText));
    std::cout << "set " << name << " = " << shown << " (" << TypeName(asDword ? REG_DWORD : REG_SZ) << ")\n";
    return 0;
}

int UnsetSetting(const SettingsCommandLine& line)
{
    if (line.positional.size() != 1) throw UsageError("expected NAME");
    const CLSID clsid = ParseClsid(line.clsid);
    const std::string& name = line.positional[0];
    pal::RegKey key;
    LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath(clsid).c_str(), 0, KEY_SET_VALUE,
                                   key.ReleaseAndGetAddressOf());
    if (status == ERROR_SUCCESS) status = RegDeleteValueW(key.Get(), pal::ToUtf16(name).c_str());
    if (status == ERROR_FILE_NOT_FOUND) {
        std::cerr << "orvana-host: no value " << name << " under " << DisplayPath(clsid) << '\n';
        return 1;
    }
    if (status != ERROR_SUCCESS) {
        std::cerr << "orvana-host: cannot delete " << name << " under " << DisplayPath(clsid) << ": "
                  << ErrorText(status) << '\n';
        return 1;
    }
    std::cout << "unset " << name << '\n';
    return 0;
}

int ShowSettings(const SettingsCommandLine& line)
{
    if (!line.positional.empty()) throw UsageError("expected no arguments");
    const CLSID clsid = ParseClsid(line.clsid);
    pal::RegKey key;
    const LSTATUS status =
        RegOpenKeyExW(HKEY_CURRENT_USER, SettingsKeyPath(clsid).c_str(), 0, KEY_READ, key.ReleaseAndGetAddressOf());
    if (status == ERROR_FILE_NOT_FOUND) {
        // Not an error: a plug-in that has never been configured has no key.
        if (line.json) {
            std::cout << "null\n";
        } else {
            std::cout << "no settings: " << DisplayPath(clsid) << " does not exist\n";
        }
        return 0;
    }
    if (status != ERROR_SUCCESS) {
        std::cerr << "orvana-host: cannot open " << DisplayPath(clsid) << ": " << ErrorText(status) << '\n';
        return 1;
    }
    const StoredKey stored = ReadKey(key.Get());
    if (line.json) {
        std::cout << KeyJson(stored) << '\n';
    } else {
        std::cout << DisplayPath(clsid) << '\n';
        PrintKey(stored, "  ");
    }
    return 0;
}

} // namespace

int RunSettings(const Arguments& args)
{
    const std::string action = args.empty() ? std::string() : args.front();
    const Arguments rest(args.begin() + (args.empty() ? 0 : 1), args.end());
    try {
        if (action == "set") return SetSetting(ParseCommandLine(rest, {"--type", "--clsid"}));
        if (action == "unset") return UnsetSetting(ParseCommandLine(rest, {"--clsid"}));
        if (action == "show") return ShowSettings(ParseCommandLine(rest, {"--clsid", "--json"}));
    } catch (const UsageError& error) {
        std::cerr << "orvana-host: settings " << action << ": " << error.what() << '\n';
        return 2;
    }
    std::cerr << "orvana-host: settings: expected set, unset or show"
              << (action.empty() ? std::string() : ", not '" + action + "'") << '\n';
    return 2;
}

} // namespace host
