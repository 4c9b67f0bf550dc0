#pragma once

#include "shell/testing.h"

#include <QString>

namespace quillora::shell::detail {

// Shows the modal fatal-error box (or hands it to the test hook).
void ShowErrorBox(const QString& text);

} // namespace quillora::shell::detail
