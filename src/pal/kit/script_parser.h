// The parsed form of a registry script: root blocks holding keys and values.
// A script is parsed whole before anything is written, so a syntax error
// leaves the registry untouched.
#pragma once

#include "pal/wide_string.h"
#include "script_lexer.h"

#include <optional>
#include <string>
#include <vector>

namespace pal::registrar {

enum class KeyFlag { None, NoRemove, ForceRemove, Delete };

struct ScriptValue {
    pal::WideString name; // empty: the key's default value
    DWORD type = REG_SZ;
    std::vector<BYTE> data; // as RegSetValueExW takes it
};

struct ScriptKey {
    pal::WideString name;
    KeyFlag flag = KeyFlag::None;
    std::optional<ScriptValue> defaultValue;
    std::vector<ScriptValue> values;
    std::vector<ScriptKey> subkeys;
};

enum class ScriptHive { ClassesRoot, CurrentUser, LocalMachine };

struct ScriptRoot {
    ScriptHive hive;
    ScriptKey body; // name empty, never created or removed itself
};

struct ParsedScript {
    std::vector<ScriptRoot> roots;
};

// Deepest key nesting below a root that a script may use.
constexpr std::size_t kMaxScriptDepth = 64;

bool ParseScript(pal::WideView script, const ReplacementMap& replacements, ParsedScript& parsed, ScriptError& error);

} // namespace pal::registrar
