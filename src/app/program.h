#pragma once

#include "shell/form.h"

class QApplication;

namespace quillora::app {

// The whole program as the shell runs it: the main window and its four
// bindings.
const shell::Program& QuilloraProgram();

// Names, version and icon of the application object.
void SetUpApplication(QApplication& application);

} // namespace quillora::app
