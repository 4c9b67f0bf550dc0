#include "shell/error_box.h"

#include "shell/codepage.h"
#include "shell/shell.h"

#include <QMessageBox>
#include <string>

namespace quillora::shell {
namespace {

testing::ErrorBoxHook& Hook() {
    static testing::ErrorBoxHook hook;
    return hook;
}

} // namespace

void testing::SetErrorBoxHook(ErrorBoxHook hook) {
    Hook() = std::move(hook);
}

text::Text ComposeRuntimeErrorText(text::TextView message, std::int32_t code) {
    // 运行时出错!\r\n\r\n
    text::Text composed = "\xd4\xcb\xd0\xd0\xca\xb1\xb3\xf6\xb4\xed!\r\n\r\n";
    if (code != 0) {
        // 错误代码：
        composed += "\xb4\xed\xce\xf3\xb4\xfa\xc2\xeb\xa3\xba";
        composed += std::to_string(code);
        composed += "\r\n\r\n";
    }
    if (!message.empty()) {
        // 错误信息：
        composed += "\xb4\xed\xce\xf3\xd0\xc5\xcf\xa2\xa3\xba";
        composed += message;
        composed += "\r\n";
    }
    return composed;
}

void detail::ShowErrorBox(const QString& text) {
    // 错误
    const QString caption = codepage::ToUnicode("\xb4\xed\xce\xf3");
    if (Hook()) {
        Hook()(caption, text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, nullptr);
    box.exec();
}

} // namespace quillora::shell
