#include "pal/locale/locale_number_format.h"

#include "pal/utf.h"

#include <cstdlib>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <map>
#include <memory>
#include <mutex>
#include <strings.h>
#include <type_traits>

namespace pal {

namespace {

struct LocaleDeleter {
    void operator()(std::remove_pointer_t<locale_t>* locale) const { freelocale(locale); }
};
using LocalePtr = std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter>;

class Converter {
  public:
    explicit Converter(const char* codeset) : handle_(iconv_open("UTF-8", codeset)) {}
    ~Converter()
    {
        if (valid()) iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    std::optional<std::string> ToUtf8(std::string_view text)
    {
        std::string in(text);
        char* inPtr = in.data();
        std::size_t inLeft = in.size();
        std::string out(in.size() * 4 + 4, '\0');
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        if (iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
        out.resize(out.size() - outLeft);
        return out;
    }

  private:
    iconv_t handle_;
};

// The locale's strings are in its own codeset; a separator outside ASCII
// (the narrow no-break space of French) must survive the trip to UTF-16.
std::u16string FromLocaleText(const char* text, const char* codeset)
{
    const std::string_view bytes = text ? text : "";
    if (!codeset || strcasecmp(codeset, "UTF-8") == 0 || strcasecmp(codeset, "utf8") == 0) return ToUtf16(bytes);
    Converter converter(codeset);
    if (converter.valid()) {
        if (auto utf8 = converter.ToUtf8(bytes)) return ToUtf16(*utf8);
    }
    return ToUtf16(bytes); // lossy: what is not UTF-8 becomes U+FFFD
}

LocaleNumberFormat Load(const std::string& name)
{
    // LC_CTYPE comes along because CODESET is a property of it.
    const LocalePtr locale(newlocale(LC_CTYPE_MASK | LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(nullptr)));
    if (!locale) return {}; // not installed: numbers as in the C locale
    const char* codeset = nl_langinfo_l(CODESET, locale.get());
    LocaleNumberFormat format;
    format.decimalSeparator = FromLocaleText(nl_langinfo_l(RADIXCHAR, locale.get()), codeset);
    format.thousandSeparator = FromLocaleText(nl_langinfo_l(THOUSEP, locale.get()), codeset);
    format.grouping = DigitGrouping::FromPosix(nl_langinfo_l(GROUPING, locale.get()));
    if (format.decimalSeparator.empty()) format.decimalSeparator.push_back(u'.');
    return format;
}

// The name newlocale(LC_NUMERIC_MASK, "") would resolve, computed here so that
// it can key the cache.
std::string UserNumericLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return "C";
}

} // namespace

std::optional<LocaleNumberFormat> NumberFormatOf(LCID locale)
{
    if (locale == LOCALE_SYSTEM_DEFAULT) return LocaleNumberFormat{};
    if (locale != LOCALE_USER_DEFAULT) return std::nullopt;

    static std::mutex mutex;
    static std::map<std::string, LocaleNumberFormat> formats;
    const std::string name = UserNumericLocaleName();
    const std::lock_guard lock(mutex);
    auto found = formats.find(name);
    if (found == formats.end()) found = formats.emplace(name, Load(name)).first;
    return found->second;
}

} // namespace pal
