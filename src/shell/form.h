#pragma once

// A window described as data: the shell's loader builds any window from one
// of these, so the layout lives in one table instead of in widget code.

#include "text/text.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace quillora::shell {

using WindowId = std::uint32_t;
using ControlId = std::uint32_t;

enum class ControlKind {
    SingleLineEdit,
    MultiLineEdit,
    DropDownList,
    Label,
    PushButton,
};

struct ControlDescription {
    std::string_view name; // UTF-8; becomes the widget's objectName
    ControlKind kind;
    ControlId id;
    int x;
    int y;
    int width;
    int height;          // for a drop-down list: the box and its open list together
    text::TextView text; // GBK; the text at creation
    ControlId buddy = 0; // for a label: the input it names
};

struct WindowDescription {
    WindowId id;
    text::TextView caption; // GBK
    int outerWidth;
    int outerHeight;
    std::span<const ControlDescription> controls; // in creation order = tab order
};

// Event numbers count within one kind of source: a window's creation event and
// a button's click are both 0.
inline constexpr int kCreatedEvent = 0;
inline constexpr int kClickedEvent = 0;

using Handler = void (*)();

struct Binding {
    std::uint32_t source; // the window's id for window events, else the control's
    int event;
    Handler handler;
};

struct Program {
    std::span<const WindowDescription> windows;
    WindowId startWindow;
    std::span<const Binding> bindings;
    Handler initialise = nullptr; // runs once before the start window is built
    Handler endStep = nullptr;    // runs once after a normal end, never after a fatal error
};

} // namespace quillora::shell
