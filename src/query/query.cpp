#include "query/query.h"

#include "shell/shell.h"
#include "window/main_form.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

namespace quillora::query {
namespace {

RateService& Service() {
    static RateService service;
    return service;
}

// The busy cursor for as long as the handler holds the window, whichever way
// it leaves.
class BusyCursor final {
public:
    BusyCursor() : shown_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (shown_) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
    ~BusyCursor() {
        if (shown_) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    bool shown_;
};

} // namespace

text::Text QueryRate(text::TextView amount, text::TextView source, text::TextView target) {
    const text::Text reply = FetchRatePage(amount, source, target, CurrentRateService());
    return ComposeResult(amount, source, target, ExtractFigure(reply));
}

void OnQueryClicked() {
    const BusyCursor busy;
    const text::Text amount =
        shell::ReadProperty(window::kMainWindow, window::kAmountBox, shell::Content);
    const text::Text source =
        shell::ReadProperty(window::kMainWindow, window::kSourceList, shell::Content);
    const text::Text target =
        shell::ReadProperty(window::kMainWindow, window::kTargetList, shell::Content);
    const text::Text result = QueryRate(amount, source, target);
    // The window may have been closed while the query was under way.
    if (shell::WindowExists(window::kMainWindow)) {
        shell::WriteProperty(window::kMainWindow, window::kResultBox, shell::Content, result);
    }
}

const RateService& CurrentRateService() {
    return Service();
}

void SetRateService(const RateService& service) {
    Service() = service;
}

} // namespace quillora::query
