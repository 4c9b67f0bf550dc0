#pragma once

// Hooks that let tests drive the shell in-process without a modal loop.

#include "shell/form.h"

#include <QString>
#include <functional>

class QWidget;

namespace quillora::shell::testing {

// Starts the program as StartProgram does, but returns once the start window
// is shown instead of running the message loop.
void LoadProgram(const Program& program);

// Closes and destroys every window and resets the shell, so the next test
// starts from scratch. The end step does not run.
void UnloadProgram();

// The loaded window's widget, or nullptr.
QWidget* FindWindow(WindowId window);

// While set, the fatal-error box is not shown: the hook gets its caption and
// text instead, and the process still ends with status -1 afterwards.
using ErrorBoxHook = std::function<void(const QString& caption, const QString& text)>;
void SetErrorBoxHook(ErrorBoxHook hook);

// Runs while a window is being built, after its controls exist and before the
// event gate opens again.
void SetBuildObserver(std::function<void()> observer);

// Raises an event as a control would (dispatch through the gate).
void RaiseEvent(WindowId window, std::uint32_t source, int event);

} // namespace quillora::shell::testing
