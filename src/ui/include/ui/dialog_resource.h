// A dialog resource as data: the template's size, title, style and font, and
// each control with its id, kind, text, style and rectangle, all in dialog
// units, so a dialog's table reads as its resource script does. A toolkit
// backend builds the controls from it.
#pragma once

#include <span>
#include <windows.h>

namespace orvana {

// Statics that nothing addresses share this id, as in resource scripts.
constexpr int kUnaddressedControl = -1;

enum class ControlKind { Static, Edit, PushButton };

struct DialogRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlResource {
    int id;
    ControlKind kind;
    LPCWSTR text;
    DWORD style; // WS_, ES_, BS_ and SS_ styles
    DialogRect rect;
};

struct DialogResource {
    UINT id;
    int width;
    int height;
    DWORD style; // WS_ and DS_ styles
    LPCWSTR title;
    LPCWSTR fontFace; // mapped to the platform's UI font at the same size
    int fontPoints;
    std::span<const ControlResource> controls;
};

} // namespace orvana
