#include "settings/settings_store.h"

#include "imaging/output_size.h"
#include "pal/registry_key.h"
#include "pal/wide_string.h"

#include <array>

namespace orvana {
namespace {

// Value names are the format's prefix and the field's name.
struct Names {
    pal::WideString prefix;
    pal::WideString operator()(const WCHAR* field) const { return prefix + field; }
};

// The six on/off values every format has, in the order they are stored.
constexpr std::array<std::pair<const WCHAR*, UINT ImageFormatSettings::*>, 6> kSwitches{{
    {W("Minimize"), &ImageFormatSettings::Minimize},
    {W("WriteCopyright"), &ImageFormatSettings::WriteCopyright},
    {W("WriteEXIF"), &ImageFormatSettings::WriteEXIF},
    {W("WriteXMP"), &ImageFormatSettings::WriteXMP},
    {W("WriteGPS"), &ImageFormatSettings::WriteGPS},
    {W("WriteIPTC"), &ImageFormatSettings::WriteIPTC},
}};

Names NamesFor(SourceFormat format)
{
    return Names{format == SourceFormat::Jpeg ? W("JPEG") : W("RAW")};
}

void ReadDword(HKEY key, const pal::WideString& name, UINT& field)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size) == ERROR_SUCCESS &&
        size == sizeof(value))
        field = value;
}

// A string of at most 31 characters and a terminator; anything else reads as
// empty.
pal::WideString ReadSizeTextValue(HKEY key, const pal::WideString& name)
{
    std::array<WCHAR, kMaxSizeTextLength + 1> buffer{};
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(WCHAR));
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    buffer.back() = W('\0');
    return buffer.data();
}

void LoadFormat(HKEY key, SourceFormat format, ImageFormatSettings& settings)
{
    const Names name = NamesFor(format);
    if (format == SourceFormat::Jpeg) {
        ReadDword(key, name(W("Mode")), settings.Mode);
        if (settings.Mode > PM_RESAMPLE) settings.Mode = PM_RESAMPLE;
    }
    for (const auto& [field, member] : kSwitches) {
        ReadDword(key, name(field), settings.*member);
        settings.*member = settings.*member != 0 ? 1 : 0;
    }
    settings.SizeText = NormalizeSizeText(ReadSizeTextValue(key, name(W("LongDimension"))));
    settings.LongDimension = ParseOutputSize(settings.SizeText, settings.Dpi);
}

} // namespace

void LoadPublisherSettings(ImageFormatSettings& jpeg, ImageFormatSettings& rawOrTiff)
{
    pal::RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, key.ReleaseAndGetAddressOf()) != ERROR_SUCCESS)
        return;
    LoadFormat(key.Get(), SourceFormat::Jpeg, jpeg);
    LoadFormat(key.Get(), SourceFormat::RawOrTiff, rawOrTiff);
}

void SavePublisherSettings(SourceFormat format, const ImageFormatSettings& settings)
{
    pal::RegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.ReleaseAndGetAddressOf(), nullptr) != ERROR_SUCCESS)
        return;
    const Names name = NamesFor(format);
    if (format == SourceFormat::Jpeg) pal::SetDWORDValue(key.Get(), name(W("Mode")).c_str(), settings.Mode);
    for (const auto& [field, member] : kSwitches)
        pal::SetDWORDValue(key.Get(), name(field).c_str(), settings.*member);
    pal::SetStringValue(key.Get(), name(W("LongDimension")).c_str(), NormalizeSizeText(settings.SizeText));
}

} // namespace orvana
