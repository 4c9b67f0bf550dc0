#include "shell/form_window.h"

#include "shell/codepage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QWindow>

namespace quillora::shell::detail {
namespace {

// Frame the layout was drawn for (thin fixed frame and a caption bar); used
// until the window manager tells us the real one.
constexpr QMargins kAssumedFrame{3, 22, 3, 3};

// The client area must reach the furthest control edge of the form.
QSize ClientNeeded(const WindowDescription& description) {
    int right = 0;
    int bottom = 0;
    for (const ControlDescription& control : description.controls) {
        const int height = control.kind == ControlKind::DropDownList ? 20 : control.height;
        right = std::max(right, control.x + control.width);
        bottom = std::max(bottom, control.y + height);
    }
    return {right + 1, bottom + 1};
}

QSize ClientFor(const WindowDescription& description, const QMargins& frame) {
    const QSize needed = ClientNeeded(description);
    return {std::max(description.outerWidth - frame.left() - frame.right(), needed.width()),
            std::max(description.outerHeight - frame.top() - frame.bottom(), needed.height())};
}

class TallerItemDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(0, 1);
    }
};

// A pick-only list whose box and open list together keep the form's height.
class DropDownList final : public QComboBox {
public:
    DropDownList(int openHeight, QWidget* parent) : QComboBox(parent), openHeight_(openHeight) {
        setEditable(false);
        setInsertPolicy(QComboBox::InsertAtBottom);
    }

    void showPopup() override {
        // The delegate goes in only now: setting it builds the list's popup
        // view, which nothing needs before the list is first opened.
        if (!dynamic_cast<TallerItemDelegate*>(itemDelegate()))
            setItemDelegate(new TallerItemDelegate(this));
        QComboBox::showPopup();
        QWidget* popup = view()->window();
        const int listHeight = std::max(openHeight_ - height(), 1);
        popup->setGeometry(QRect(mapToGlobal(QPoint(0, height())), QSize(width(), listHeight)));
    }

private:
    int openHeight_;
};

// The form asks for SimSun; where it is missing, any installed Chinese face
// of the same size and weight does. The first of these that is installed is
// picked here: with a missing family at the head of its list, every lookup of
// the font would first have fontconfig sort all installed fonts as fallbacks
// for that family, only to go on to the next one.
QStringList LabelFamilies() {
    const QStringList wanted{
        QStringLiteral("SimSun"),           QStringLiteral("宋体"),
        QStringLiteral("NSimSun"),          QStringLiteral("WenQuanYi Micro Hei"),
        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("AR PL UMing CN")};
    QStringList installed = QFontDatabase::families();
    for (QString& family : installed) {
        // A family that several foundries make is listed as "Family [Foundry]".
        if (family.endsWith(u']')) {
            const qsizetype bracket = family.lastIndexOf(QStringLiteral(" ["));
            if (bracket > 0)
                family.truncate(bracket);
        }
    }
    for (const QString& family : wanted) {
        if (installed.contains(family, Qt::CaseInsensitive))
            return {family};
    }
    // None is installed under its own name: the toolkit's matching, which
    // also knows other names of a font, has the whole list.
    return wanted;
}

QFont LabelFont(const QStringList& families) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

} // namespace

FormWindow::FormWindow(const WindowDescription& description)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      description_(description) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(codepage::ToUnicode(description.caption));
    QPalette background = palette();
    background.setColor(QPalette::Window, background.color(QPalette::Button));
    setPalette(background);
    setAutoFillBackground(true);
    setFixedSize(ClientFor(description, kAssumedFrame));
    CreateControls();
}

void FormWindow::CreateControls() {
    QWidget* previousInTabOrder = nullptr;
    QStringList labelFamilies; // looked up with the first label
    for (const ControlDescription& desc : description_.controls) {
        const QString text = codepage::ToUnicode(desc.text);
        QWidget* widget = nullptr;
        switch (desc.kind) {
        case ControlKind::SingleLineEdit: {
            auto* edit = new QLineEdit(text, this);
            edit->setCursorPosition(0);
            widget = edit;
            break;
        }
        case ControlKind::MultiLineEdit: {
            auto* edit = new QPlainTextEdit(this);
            edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            edit->setTabChangesFocus(true);
            edit->setPlainText(text);
            widget = edit;
            break;
        }
        case ControlKind::DropDownList:
            widget = new DropDownList(desc.height, this);
            break;
        case ControlKind::Label: {
            auto* label = new QLabel(text, this);
            if (labelFamilies.isEmpty())
                labelFamilies = LabelFamilies();
            label->setFont(LabelFont(labelFamilies));
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label->setWordWrap(false);
            label->setTextFormat(Qt::PlainText);
            label->setFocusPolicy(Qt::NoFocus);
            widget = label;
            break;
        }
        case ControlKind::PushButton: {
            auto* button = new QPushButton(text, this);
            button->setAutoDefault(false);
            button->setDefault(false);
            button->setFocusPolicy(Qt::StrongFocus);
            const ControlId id = desc.id;
            connect(button, &QPushButton::clicked, this, [this, id] {
                if (onControlEvent)
                    onControlEvent(id, kClickedEvent);
            });
            widget = button;
            break;
        }
        }
        widget->setObjectName(QString::fromUtf8(desc.name.data(), qsizetype(desc.name.size())));
        const int height = desc.kind == ControlKind::DropDownList ? 20 : desc.height;
        widget->setGeometry(desc.x, desc.y, desc.width, height);
        controls_[desc.id] = widget;
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previousInTabOrder)
                QWidget::setTabOrder(previousInTabOrder, widget);
            previousInTabOrder = widget;
        }
    }
    // Labels name their inputs for screen readers (labelled-by relation).
    for (const ControlDescription& desc : description_.controls) {
        if (desc.kind == ControlKind::Label && desc.buddy != 0) {
            if (auto* label = qobject_cast<QLabel*>(Control(desc.id)))
                label->setBuddy(Control(desc.buddy));
        }
    }
}

QWidget* FormWindow::Control(ControlId id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

const ControlDescription* FormWindow::ControlDescriptionOf(ControlId id) const {
    for (const ControlDescription& desc : description_.controls) {
        if (desc.id == id)
            return &desc;
    }
    return nullptr;
}

void FormWindow::ShowCentred() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect full = screen ? screen->geometry() : QRect(0, 0, 0, 0);
    // Integer division truncating toward zero, as on a narrow screen the
    // window may start off its left edge.
    move(full.x() + (full.width() - description_.outerWidth) / 2,
         full.y() + (full.height() - description_.outerHeight) / 2);
    if (!description_.controls.empty()) {
        if (QWidget* first = Control(description_.controls.front().id))
            first->setFocus(Qt::OtherFocusReason);
    }
    show();
    raise();
    activateWindow();
}

void FormWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FitOuterSize();
}

void FormWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // The window manager's frame becomes known only after the window is
    // mapped; it arrives with the first move.
    FitOuterSize();
}

void FormWindow::FitOuterSize() {
    const QWindow* handle = windowHandle();
    if (!handle || !isVisible())
        return;
    const QMargins frame = handle->frameMargins();
    if (frame == fittedMargins_)
        return;
    fittedMargins_ = frame;
    const QSize client = ClientFor(description_, frame);
    if (client != size())
        setFixedSize(client);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect full = screen->geometry();
        move(full.x() + (full.width() - description_.outerWidth) / 2,
             full.y() + (full.height() - description_.outerHeight) / 2);
    }
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // The close request has no handler and is never refused.
    event->accept();
    QWidget::closeEvent(event);
    if (!closed_) {
        closed_ = true;
        if (onClosed)
            onClosed();
    }
}

} // namespace quillora::shell::detail
