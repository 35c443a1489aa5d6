// Component registration from registry scripts: the platform's registrar.
// A script names registry keys and values in nested blocks under root keys;
// running it registers (creates keys, sets values) or unregisters (removes
// what registration made, keeping NoRemove keys). The syntax and rules are
// in docs/registrar.md.
#pragma once

#include "pal/registry_key.h"
#include "pal/wide_string.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace pal {

// %NAME% in a script is replaced by the value mapped to NAME (exact case, no
// percent signs in the key). %% stands for one percent sign.
using ReplacementMap = std::map<pal::WideString, pal::WideString, std::less<>>;

// Where a script's HKCR root goes instead of HKEY_CLASSES_ROOT: the key
// subKey under root, created when registering.
struct ScriptRootRedirect {
    HKEY root;
    pal::WideView subKey;
};

// Per-user registration: HKCR becomes HKEY_CURRENT_USER\Software\Classes.
const ScriptRootRedirect& PerUserClassesRedirect() noexcept;

// Runs a script. A script that does not parse (or names a replacement the map
// lacks) changes nothing and answers DISP_E_EXCEPTION. Otherwise the first
// failing registry call ends the run with HRESULT_FROM_WIN32 of its error;
// what was done before it stays done. Keys or values already missing are no
// error when unregistering.
HRESULT RunRegistryScript(pal::WideView script, bool registering, const ReplacementMap& replacements,
                          const ScriptRootRedirect* classesRootRedirect = nullptr);

} // namespace pal
