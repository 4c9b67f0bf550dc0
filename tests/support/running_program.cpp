#include "support/running_program.h"

#include "app/program.h"
#include "shell/codepage.h"
#include "shell/testing.h"
#include "window/main_form.h"

#include <QApplication>
#include <QtGlobal>

namespace quillora::testsupport {

RunningProgram::RunningProgram() {
    // A fatal error would otherwise open a modal box and hang the test.
    shell::testing::SetErrorBoxHook([](const QString&, const QString& text) {
        qFatal("unexpected runtime error box: %s", qPrintable(text));
    });
    shell::testing::LoadProgram(app::QuilloraProgram());
}

RunningProgram::~RunningProgram() {
    shell::testing::UnloadProgram();
    shell::testing::SetErrorBoxHook({});
}

QWidget* RunningProgram::Window() const {
    return shell::testing::FindWindow(window::kMainWindow);
}

text::Text Gbk(const char* utf8) {
    return shell::codepage::FromUtf8(utf8);
}

QString Unicode(text::TextView gbk) {
    return shell::codepage::ToUnicode(gbk);
}

} // namespace quillora::testsupport
