#include "app/program.h"

#include "catalogue/catalogue.h"
#include "query/query.h"
#include "window/commands.h"
#include "window/main_form.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

// The icon lives in a static library's resources, which the linker would
// otherwise drop as unreferenced.
static void InitialiseResources() {
    Q_INIT_RESOURCE(quillora);
}

namespace quillora::app {

const shell::Program& QuilloraProgram() {
    static const shell::Binding kBindings[] = {
        {window::kMainWindow, shell::kCreatedEvent, &catalogue::OnMainWindowCreated},
        {window::kQueryButton, shell::kClickedEvent, &query::OnQueryClicked},
        {window::kSwapButton, shell::kClickedEvent, &window::OnSwapClicked},
        {window::kHomePageButton, shell::kClickedEvent, &window::OnHomePageClicked},
    };
    static const shell::WindowDescription kWindows[] = {window::MainForm()};
    static const shell::Program kProgram{kWindows, window::kMainWindow, kBindings};
    return kProgram;
}

void SetUpApplication(QApplication& application) {
    InitialiseResources();
    QApplication::setApplicationName(QStringLiteral("Quillora"));
    QApplication::setOrganizationName(QStringLiteral("Ostrevin"));
    QApplication::setOrganizationDomain(QStringLiteral("ostrevin.com"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLORA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.ostrevin.Quillora"));
    // The shell ends the program itself when its last window is gone.
    QApplication::setQuitOnLastWindowClosed(false);
    // A title-bar-sized image, read as PNG by name: decoding a large one or
    // letting the reader probe every image plugin shows in the start-up time.
    application.setWindowIcon(
        QIcon(QPixmap::fromImage(QImage(QStringLiteral(":/quillora/quillora-48.png"), "PNG"))));
}

} // namespace quillora::app
