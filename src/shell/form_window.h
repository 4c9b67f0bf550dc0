#pragma once

// Builds a window and its controls from a WindowDescription.

#include "shell/form.h"

#include <QWidget>
#include <functional>
#include <map>

namespace quillora::shell::detail {

// The top-level window of a form. Its outer size stays at the form's size,
// whatever frame the window manager draws, as long as the client area still
// holds every control.
class FormWindow final : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(const WindowDescription& description);
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    const WindowDescription& Description() const { return description_; }
    QWidget* Control(ControlId id) const;
    const ControlDescription* ControlDescriptionOf(ControlId id) const;

    // Shows the window centred on the primary screen, active, with the focus
    // in the first control of the tab sequence.
    void ShowCentred();

    // Called once the window has been closed by the user or the platform.
    std::function<void()> onClosed;
    // Called for every control event that may have a binding.
    std::function<void(ControlId source, int event)> onControlEvent;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void CreateControls();
    void FitOuterSize();

    const WindowDescription& description_;
    std::map<ControlId, QWidget*> controls_;
    QMargins fittedMargins_{-1, -1, -1, -1};
    bool closed_ = false;
};

} // namespace quillora::shell::detail
