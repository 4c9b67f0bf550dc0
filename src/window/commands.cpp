#include "window/commands.h"

#include "shell/shell.h"
#include "window/main_form.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>
#include <cstdint>

namespace quillora::window {

void OnSwapClicked() {
    // Positions, not texts: both lists hold the same items in the same order,
    // so swapping positions swaps currencies. -1 passes through and clears the
    // receiving list.
    const std::int32_t source =
        shell::ReadProperty(kMainWindow, kSourceList, shell::CurrentSelection);
    shell::WriteProperty(kMainWindow, kSourceList, shell::CurrentSelection,
                         shell::ReadProperty(kMainWindow, kTargetList, shell::CurrentSelection));
    shell::WriteProperty(kMainWindow, kTargetList, shell::CurrentSelection, source);
}

void OnHomePageClicked() {
    // Fire and forget: whether a browser shows up is the desktop's business,
    // and nothing in the window changes either way.
    static_cast<void>(QDesktopServices::openUrl(QUrl(QString::fromLatin1(kHomePageUrl))));
}

} // namespace quillora::window
