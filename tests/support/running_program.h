#pragma once

// Starts the real program's main window in-process, with its real bindings,
// so GUI tests find controls by objectName and press them as a user would.

#include "text/text.h"

#include <QString>
#include <QWidget>

namespace quillora::testsupport {

class RunningProgram final {
public:
    RunningProgram();
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    QWidget* Window() const;

    template <typename T> T* Find(const QString& objectName) const {
        QWidget* window = Window();
        return window ? window->findChild<T*>(objectName) : nullptr;
    }
};

// GBK bytes for a UTF-8 literal, and back, for readable assertions.
text::Text Gbk(const char* utf8);
QString Unicode(text::TextView gbk);

} // namespace quillora::testsupport
