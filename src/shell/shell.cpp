#include "shell/shell.h"

#include "shell/codepage.h"
#include "shell/error_box.h"
#include "shell/form_window.h"
#include "shell/testing.h"
#include "text/runtime_error.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <new>
#include <vector>

namespace quillora::shell {
namespace {

// Everything the shell holds for the life of the process. Only the GUI thread
// touches it.
struct ShellState {
    std::vector<WindowDescription> descriptions;
    std::vector<Binding> bindings;
    std::map<WindowId, QPointer<detail::FormWindow>> windows;
    int gate = 0; // events reach handlers only while this is 0
    bool shutForGood = false;
    bool loopEntered = false;
    Handler endStep = nullptr;
    std::function<void()> buildObserver;
};

ShellState& State() {
    static ShellState state;
    return state;
}

bool GateOpen() {
    return State().gate == 0 && !State().shutForGood;
}

void ShutGateForGood() {
    State().shutForGood = true;
}

void ReleaseWindows() {
    auto windows = std::move(State().windows);
    State().windows.clear();
    for (auto& [id, window] : windows) {
        if (window) {
            window->onClosed = nullptr;
            window->onControlEvent = nullptr;
            delete window.data();
        }
    }
}

void Dispatch(std::uint32_t source, int event) {
    if (!GateOpen())
        return; // dropped, not queued
    Handler handler = nullptr;
    for (const Binding& binding : State().bindings) {
        if (binding.source == source && binding.event == event) {
            handler = binding.handler;
            break;
        }
    }
    if (!handler)
        return;
    // Nothing may unwind into the toolkit's event handling: every fatal
    // condition raised below a handler ends here, in the one report.
    try {
        handler();
    } catch (const text::RuntimeError& error) {
        ReportRuntimeError(error.Message(), error.Code());
    } catch (const std::bad_alloc&) {
        // 分配 ? 字节内存失败! (the size asked for is not known here)
        ReportRuntimeError("\xb7\xd6\xc5\xe4 ? \xd7\xd6\xbd\xda\xc4\xda\xb4\xe6\xca\xa7\xb0\xdc!",
                           0);
    }
}

void OnWindowClosed(WindowId id) {
    ShellState& state = State();
    const auto found = state.windows.find(id);
    if (found == state.windows.end())
        return;
    // The window is gone for the program from now on; the widget itself is
    // deleted once control is back in the loop, so a handler that is still
    // waiting further up the stack never runs on a destroyed object.
    if (found->second) {
        found->second->onControlEvent = nullptr;
        found->second->deleteLater();
    }
    state.windows.erase(found);
    if (state.windows.empty() && state.loopEntered)
        QCoreApplication::exit(0);
}

const WindowDescription* FindDescription(WindowId id) {
    for (const WindowDescription& desc : State().descriptions) {
        if (desc.id == id)
            return &desc;
    }
    return nullptr;
}

void InitialiseShell(const Program& program) {
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    if (program.windows.empty())
        ReportRuntimeError(messages::kFormUnreadable, 0);
    ShellState& state = State();
    state.descriptions.assign(program.windows.begin(), program.windows.end());
    state.bindings.assign(program.bindings.begin(), program.bindings.end());
    if (program.initialise)
        program.initialise();
    state.endStep = program.endStep;
}

void EndShell() {
    ShutGateForGood();
    ShellState& state = State();
    if (Handler endStep = std::exchange(state.endStep, nullptr))
        endStep();
    ReleaseWindows();
}

QWidget* FindControl(WindowId window, ControlId control) {
    const auto found = State().windows.find(window);
    if (found == State().windows.end() || !found->second)
        return nullptr;
    return found->second->Control(control);
}

} // namespace

int StartProgram(const Program& program) {
    InitialiseShell(program);
    LoadStartWindow(program.startWindow);
    const int status = RunMessageLoop();
    EndShell();
    return status;
}

void LoadStartWindow(WindowId id) {
    const WindowDescription* description = FindDescription(id);
    if (!description)
        ReportRuntimeError(messages::kStartWindowFailed, 0);
    ShellState& state = State();
    QPointer<detail::FormWindow> window;
    ++state.gate;
    try {
        window = new detail::FormWindow(*description);
    } catch (const std::exception&) {
        ReportRuntimeError(messages::kStartWindowFailed, 0);
    }
    window->onClosed = [id] { OnWindowClosed(id); };
    window->onControlEvent = [](ControlId source, int event) { Dispatch(source, event); };
    state.windows[id] = window;
    if (state.buildObserver)
        state.buildObserver();
    --state.gate;

    // The creation handler runs while the window is still hidden, so the user
    // first sees it filled in.
    Dispatch(id, kCreatedEvent);
    if (window && state.windows.count(id))
        window->ShowCentred();
}

int RunMessageLoop() {
    if (State().windows.empty())
        return 0;
    State().loopEntered = true;
    return QApplication::exec();
}

bool WindowExists(WindowId window) {
    const auto found = State().windows.find(window);
    return found != State().windows.end() && found->second;
}

text::Text ReadProperty(WindowId window, ControlId control, ContentProperty) {
    QWidget* widget = FindControl(window, control);
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return codepage::FromUnicode(line->text());
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
        return codepage::FromUnicode(box->toPlainText());
    if (auto* list = qobject_cast<QComboBox*>(widget))
        return list->currentIndex() < 0 ? text::Text{} : codepage::FromUnicode(list->currentText());
    return {};
}

void WriteProperty(WindowId window, ControlId control, ContentProperty, text::TextView value) {
    QWidget* widget = FindControl(window, control);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(codepage::ToUnicode(value));
        line->setCursorPosition(0);
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
        box->setPlainText(codepage::ToUnicode(value));
    }
}

std::int32_t ReadProperty(WindowId window, ControlId control, CurrentSelectionProperty) {
    if (auto* list = qobject_cast<QComboBox*>(FindControl(window, control)))
        return list->currentIndex();
    return -1;
}

void WriteProperty(WindowId window, ControlId control, CurrentSelectionProperty,
                   std::int32_t value) {
    auto* list = qobject_cast<QComboBox*>(FindControl(window, control));
    if (!list)
        return;
    const std::int32_t count = list->count();
    if (value > count - 1)
        value = count - 1;
    if (value < -1)
        value = -1;
    list->setCurrentIndex(value);
}

std::int32_t AppendListItem(WindowId window, ControlId control, text::TextView item) {
    auto* list = qobject_cast<QComboBox*>(FindControl(window, control));
    if (!list)
        return -1;
    // The toolkit selects the first item added to an empty list; appending
    // must leave the selection alone.
    const int selected = list->currentIndex();
    const QSignalBlocker quiet(list);
    list->addItem(codepage::ToUnicode(item));
    if (list->currentIndex() != selected)
        list->setCurrentIndex(selected);
    return list->count() - 1;
}

void ReportRuntimeError(text::TextView message, std::int32_t code) {
    ShutGateForGood();
    detail::ShowErrorBox(codepage::ToUnicode(ComposeRuntimeErrorText(message, code)));
    // The end step is dropped: a fatal error must not look like a normal end.
    State().endStep = nullptr;
    std::fflush(nullptr);
    std::_Exit(-1);
}

void testing::LoadProgram(const Program& program) {
    InitialiseShell(program);
    LoadStartWindow(program.startWindow);
}

void testing::UnloadProgram() {
    ReleaseWindows();
    ShellState& state = State();
    state = ShellState{};
}

QWidget* testing::FindWindow(WindowId window) {
    const auto found = State().windows.find(window);
    return found == State().windows.end() ? nullptr : found->second.data();
}

void testing::SetBuildObserver(std::function<void()> observer) {
    State().buildObserver = std::move(observer);
}

void testing::RaiseEvent(WindowId, std::uint32_t source, int event) {
    Dispatch(source, event);
}

} // namespace quillora::shell
