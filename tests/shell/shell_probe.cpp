// A tiny program run by the shell's process tests: it starts the shell with a
// small form and does one thing to it, chosen by its argument, so the test can
// watch the exit status and what the end step and the error box did.

#include "shell/codepage.h"
#include "shell/shell.h"
#include "shell/testing.h"
#include "text/text_array.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

using namespace quillora;

constexpr shell::WindowId kWindow = 0x52010001;
constexpr shell::ControlId kButton = 0x16010007;

constexpr shell::ControlDescription kControls[] = {
    {"按钮", shell::ControlKind::PushButton, kButton, 10, 10, 80, 20, "Go"},
};
constexpr shell::WindowDescription kWindows[] = {{kWindow, "Probe", 255, 245, kControls}};

void Say(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

void OnClickIndexBelowOne() {
    Say("HANDLER");
    const text::TextArray empty;
    (void)empty.At(0);
}

void OnClickIndexAboveCount() {
    Say("HANDLER");
    const text::TextArray empty;
    (void)empty.At(1);
}

void OnClickOutOfMemory() {
    Say("HANDLER");
    throw text::OutOfMemory(123456);
}

void OnCreatedClose() {
    // Close once the loop runs, the way a user would.
    QTimer::singleShot(0, [] {
        if (QWidget* window = shell::testing::FindWindow(kWindow))
            window->close();
    });
}

void OnCreatedClick() {
    QTimer::singleShot(0, [] {
        if (QWidget* window = shell::testing::FindWindow(kWindow))
            window->findChild<QPushButton*>()->click();
    });
}

void EndStep() {
    Say("END");
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const char* mode = argc > 1 ? argv[1] : "";

    // Print the box instead of showing it; a click raised while it is "open"
    // must not reach a handler.
    shell::testing::SetErrorBoxHook([](const QString& caption, const QString& text) {
        std::printf("BOX %s\n%s", caption.toUtf8().constData(), text.toUtf8().constData());
        std::printf("\nBOX END\n");
        std::fflush(stdout);
        shell::testing::RaiseEvent(kWindow, kButton, shell::kClickedEvent);
    });

    shell::Handler created = &OnCreatedClose;
    shell::Handler clicked = nullptr;
    shell::WindowId start = kWindow;
    std::span<const shell::WindowDescription> windows = kWindows;
    if (std::strcmp(mode, "index-below-one") == 0) {
        created = &OnCreatedClick;
        clicked = &OnClickIndexBelowOne;
    } else if (std::strcmp(mode, "index-above-count") == 0) {
        created = &OnCreatedClick;
        clicked = &OnClickIndexAboveCount;
    } else if (std::strcmp(mode, "out-of-memory") == 0) {
        created = &OnCreatedClick;
        clicked = &OnClickOutOfMemory;
    } else if (std::strcmp(mode, "missing-window") == 0) {
        start = 0x52019999;
    } else if (std::strcmp(mode, "no-form") == 0) {
        windows = {};
    }
    const shell::Binding bindings[] = {
        {kWindow, shell::kCreatedEvent, created},
        {kButton, shell::kClickedEvent, clicked},
    };
    const shell::Program program{windows, start, bindings, nullptr, &EndStep};
    return shell::StartProgram(program);
}
