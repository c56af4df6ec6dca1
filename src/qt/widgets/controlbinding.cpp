#include "controlbinding.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include "dialog/checkbox.h"
#include "dialog/combobox.h"
#include "dialog/optionbutton.h"
#include "dialog/textbox.h"

namespace veltara::qt {

namespace {

using core::Property;

Qt::CheckState toCheckState(int value) {
    switch (value) {
        case core::CheckBox::kChecked:
            return Qt::Checked;
        case core::CheckBox::kGrayed:
            return Qt::PartiallyChecked;
        default:
            return Qt::Unchecked;
    }
}

int toCheckValue(Qt::CheckState state) {
    switch (state) {
        case Qt::Checked:
            return core::CheckBox::kChecked;
        case Qt::PartiallyChecked:
            return core::CheckBox::kGrayed;
        default:
            return core::CheckBox::kUnchecked;
    }
}

void showText(const core::TextBox& box, QLineEdit* edit) {
    const QString text = QString::fromStdString(box.text());
    // The user's own keystroke comes back here with the text the widget already shows; setting it
    // again would move the cursor to the end.
    if (edit->text() != text) {
        edit->setText(text);
    }
}

void showSelection(const core::TextBox& box, QLineEdit* edit) {
    if (box.selLength() > 0) {
        edit->setSelection(box.selStart(), box.selLength());
    } else {
        edit->setCursorPosition(box.selStart());
    }
}

void showCheck(const core::CheckBox& box, QCheckBox* check) {
    // Greyed is a value the settings file can bring; the user's clicks only toggle clear and checked.
    check->setCheckState(toCheckState(box.value()));
    check->setTristate(box.value() == core::CheckBox::kGrayed);
}

void bindTextBox(core::TextBox& box, QLineEdit* edit) {
    showText(box, edit);
    QObject::connect(edit, &QLineEdit::textEdited, edit,
                     [&box](const QString& text) { box.setText(text.toStdString()); });
    box.addObserver([edit = QPointer<QLineEdit>(edit)](core::Control& c, Property p) {
        if (!edit) {
            return;
        }
        auto& b = static_cast<core::TextBox&>(c);
        if (p == Property::Text) {
            showText(b, edit);
        } else if (p == Property::Selection) {
            showSelection(b, edit);
        }
    });
}

void bindComboBox(core::ComboBox& combo, QComboBox* widget) {
    widget->setCurrentIndex(combo.listIndex());
    QObject::connect(widget, &QComboBox::activated, widget, [&combo, widget](int index) {
        (void)combo.setListIndex(index);
        // Back to what the model holds, should it have refused the pick.
        widget->setCurrentIndex(combo.listIndex());
    });
    combo.addObserver([widget = QPointer<QComboBox>(widget)](core::Control& c, Property p) {
        if (widget && p == Property::ListIndex) {
            widget->setCurrentIndex(static_cast<core::ComboBox&>(c).listIndex());
        }
    });
}

void bindCheckBox(core::CheckBox& box, QCheckBox* check) {
    showCheck(box, check);
    QObject::connect(check, &QCheckBox::clicked, check, [&box, check] {
        (void)box.setValue(toCheckValue(check->checkState()));
        showCheck(box, check);
    });
    box.addObserver([check = QPointer<QCheckBox>(check)](core::Control& c, Property p) {
        if (check && p == Property::Value) {
            showCheck(static_cast<core::CheckBox&>(c), check);
        }
    });
}

void bindOptionButton(core::OptionButton& option, QRadioButton* radio) {
    radio->setChecked(option.value());
    QObject::connect(radio, &QRadioButton::clicked, radio, [&option, radio] {
        // A click selects the option, also one that is selected already (Qt has just unchecked it).
        option.setValue(true);
        radio->setChecked(option.value());
    });
    option.addObserver([radio = QPointer<QRadioButton>(radio)](core::Control& c, Property p) {
        if (radio && p == Property::Value) {
            radio->setChecked(static_cast<core::OptionButton&>(c).value());
        }
    });
}

}  // namespace

void bindControl(core::Control& control, QWidget* widget) {
    switch (control.kind()) {
        case core::ControlKind::TextBox:
            bindTextBox(static_cast<core::TextBox&>(control), static_cast<QLineEdit*>(widget));
            break;
        case core::ControlKind::ComboBox:
            bindComboBox(static_cast<core::ComboBox&>(control), static_cast<QComboBox*>(widget));
            break;
        case core::ControlKind::CheckBox:
            bindCheckBox(static_cast<core::CheckBox&>(control), static_cast<QCheckBox*>(widget));
            break;
        case core::ControlKind::OptionButton:
            bindOptionButton(static_cast<core::OptionButton&>(control), static_cast<QRadioButton*>(widget));
            break;
        case core::ControlKind::CommandButton: {
            auto& button = static_cast<core::CommandButton&>(control);
            QObject::connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, widget,
                             [&button] { button.click(); });
            break;
        }
        case core::ControlKind::Label:
        case core::ControlKind::Frame:
            break;
    }

    widget->setEnabled(control.enabled());
    control.addObserver([widget = QPointer<QWidget>(widget)](core::Control& c, Property p) {
        if (!widget) {
            return;
        }
        if (p == Property::Enabled) {
            widget->setEnabled(c.enabled());
        } else if (p == Property::Focus && !widget->hasFocus()) {
            widget->setFocus(Qt::OtherFocusReason);
        }
    });
}

}  // namespace veltara::qt
