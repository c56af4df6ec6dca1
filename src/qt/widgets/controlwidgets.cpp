#include "controlwidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWheelEvent>
#include <limits>

#include "dialog/checkbox.h"
#include "dialog/combobox.h"
#include "dialog/optionbutton.h"
#include "dialog/textbox.h"
#include "framestyle.h"
#include "twips.h"

namespace veltara::qt {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// Enter (or the keypad's Enter) on a focused command button presses it, as Space does. Neither button
// is the dialog's default: Enter anywhere else does nothing.
class CommandButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
            QPushButton::keyPressEvent(event);
        } else if (!event->isAutoRepeat()) {
            click();
        }
    }
};

// Arrow keys move to the next option of the group (the options of one frame, in tab order, round the
// end) and select it, raising its Click, as a desktop radio group does.
class OptionButton final : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const int key = event->key();
        const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1
                         : key == Qt::Key_Up || key == Qt::Key_Left  ? -1
                                                                     : 0;
        if (step == 0) {
            QRadioButton::keyPressEvent(event);
            return;
        }
        const QList<QRadioButton*> group =
            parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
        const qsizetype at = group.indexOf(this);
        for (qsizetype n = 1; n < group.size(); ++n) {
            QRadioButton* next = group[(at + step * n + group.size()) % group.size()];
            if (next->isEnabled()) {
                next->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
                next->click();
                return;
            }
        }
    }
};

// The wheel changes a drop-down list only while the list has the focus: turning it on the way past
// must not pick a frame type, nor run its rule.
class DropDownList final : public QComboBox {
public:
    using QComboBox::QComboBox;

protected:
    void wheelEvent(QWheelEvent* event) override {
        if (hasFocus()) {
            QComboBox::wheelEvent(event);
        } else {
            event->ignore();
        }
    }
};

QWidget* createKindWidget(const core::Control& control, QWidget* parent) {
    switch (control.kind()) {
        case core::ControlKind::Label: {
            auto* label = new QLabel(qs(control.caption()), parent);
            label->setTextFormat(Qt::PlainText);
            // A caption too long for its box wraps at word boundaries, as the notes label must.
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case core::ControlKind::Frame: {
            auto* frame = new QGroupBox(qs(control.caption()), parent);
            frame->setStyle(FrameStyle::instance());
            return frame;
        }
        case core::ControlKind::TextBox: {
            auto* edit = new QLineEdit(parent);
            edit->setMaxLength(std::numeric_limits<int>::max());
            edit->setText(qs(static_cast<const core::TextBox&>(control).text()));
            return edit;
        }
        case core::ControlKind::ComboBox: {
            auto* combo = new DropDownList(parent);
            for (const std::string& item : static_cast<const core::ComboBox&>(control).items()) {
                combo->addItem(qs(item));
            }
            combo->setCurrentIndex(-1);
            return combo;
        }
        case core::ControlKind::CheckBox:
            return new QCheckBox(qs(control.caption()), parent);
        case core::ControlKind::OptionButton: {
            auto* option = new OptionButton(qs(control.caption()), parent);
            // The model keeps the group (a button can be cleared without selecting its partner),
            // so Qt must not enforce one of its own.
            option->setAutoExclusive(false);
            return option;
        }
        case core::ControlKind::CommandButton: {
            auto* button = new CommandButton(qs(control.caption()), parent);
            button->setAutoDefault(false);
            button->setDefault(false);
            return button;
        }
    }
    return nullptr;
}

void applyAppearance(const core::Control& control, QWidget* widget) {
    const core::Appearance& look = control.appearance();

    // Every control names its background explicitly: the inner frames sit in a yellow frame but
    // keep the platform's colour, and a palette would otherwise be inherited from the container.
    QPalette palette = widget->palette();
    const bool isInput =
        control.kind() == core::ControlKind::TextBox || control.kind() == core::ControlKind::ComboBox;
    palette.setColor(QPalette::Window, look.yellowBackground && !isInput
                                           ? kFrameYellow
                                           : QApplication::palette().color(QPalette::Window));
    if (look.redText) {
        palette.setColor(QPalette::WindowText, kNoteRed);
    }
    widget->setPalette(palette);
    if (!isInput && control.kind() != core::ControlKind::CommandButton) {
        // Check boxes and option buttons fill with the Button role unless told otherwise.
        widget->setBackgroundRole(QPalette::Window);
        widget->setAutoFillBackground(true);
    }
}

}  // namespace

namespace {

// The control's own font: bold, and its own point size.
void applyFont(const core::Control& control, QWidget* widget) {
    const core::Appearance& look = control.appearance();
    if (!look.bold && look.pointSize <= 0.0) {
        return;
    }
    // Only what the control sets itself: the face and the size of the rest follow the dialog's font.
    QFont font;
    font.setBold(look.bold);
    if (look.pointSize > 0.0) {
        font.setPointSizeF(look.pointSize);
    }
    widget->setFont(font);
}

}  // namespace

QWidget* createControlWidget(const core::Control& control, QWidget* parent) {
    QWidget* widget = createKindWidget(control, parent);
    widget->setObjectName(qs(control.objectName()));
    widget->setGeometry(toPixels(control.geometry()));
    widget->setFocusPolicy(control.takesFocus() ? Qt::StrongFocus : Qt::NoFocus);
    applyAppearance(control, widget);
    applyFont(control, widget);
    return widget;
}

}  // namespace veltara::qt
