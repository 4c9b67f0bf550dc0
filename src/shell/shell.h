#pragma once

// The shell: start-up, the event gate and dispatch, control properties, the
// fatal-error report and the normal end. Handlers see controls only through
// ReadProperty / WriteProperty, and only GBK Texts cross that interface.

#include "shell/form.h"
#include "text/text.h"

#include <cstdint>

namespace quillora::shell {

// Runs the program: builds the start window (hidden), raises its creation
// event, shows it, runs the message loop until the last window is gone, then
// runs the end step once. Returns the exit status (0). Call after the
// QApplication exists.
int StartProgram(const Program& program);

// Builds a window of the running program, raises its creation event and shows
// it. A window that cannot be found or built is a fatal error.
void LoadStartWindow(WindowId window);

// Runs the GUI message loop until the quit request; returns its status, or 0
// at once when no loaded window exists.
int RunMessageLoop();

// Typed property tags: ReadProperty(w, c, Content) gives a Text,
// ReadProperty(w, c, CurrentSelection) an int.
struct ContentProperty {};
struct CurrentSelectionProperty {};
inline constexpr ContentProperty Content{};
inline constexpr CurrentSelectionProperty CurrentSelection{};

// Edit box: its whole text. Drop-down list: the selected item's text, empty
// when none is selected. Empty when the control is gone.
text::Text ReadProperty(WindowId window, ControlId control, ContentProperty);
// Replaces an edit box's whole content; raises its content-change event once.
void WriteProperty(WindowId window, ControlId control, ContentProperty, text::TextView value);

// 0-based position of a list's selected item, -1 for none.
std::int32_t ReadProperty(WindowId window, ControlId control, CurrentSelectionProperty);
// Above n-1 becomes n-1, below -1 becomes -1; an empty list ends with none.
// Raises no event.
void WriteProperty(WindowId window, ControlId control, CurrentSelectionProperty,
                   std::int32_t value);

// Appends an item to a drop-down list; returns its position, or -1 when the
// list is not there.
std::int32_t AppendListItem(WindowId window, ControlId control, text::TextView item);

// Whether the window is loaded and not yet closed.
bool WindowExists(WindowId window);

// Shuts the event gate for good, shows the fatal-error box and, once it is
// closed, ends the process with status -1 without running the end step.
[[noreturn]] void ReportRuntimeError(text::TextView message, std::int32_t code);

// The error box's text for a message and code, as GBK bytes.
text::Text ComposeRuntimeErrorText(text::TextView message, std::int32_t code);

// Fixed fatal messages (GBK).
namespace messages {
// 载入窗口模板数据段出错!
inline constexpr text::TextView kFormUnreadable =
    "\xd4\xd8\xc8\xeb\xb4\xb0\xbf\xda\xc4\xa3\xb0\xe5\xca\xfd\xbe\xdd\xb6\xce\xb3\xf6\xb4\xed!";
// 载入启动窗口失败
inline constexpr text::TextView kStartWindowFailed =
    "\xd4\xd8\xc8\xeb\xc6\xf4\xb6\xaf\xb4\xb0\xbf\xda\xca\xa7\xb0\xdc";
} // namespace messages

} // namespace quillora::shell
