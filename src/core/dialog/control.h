#pragma once

#include <functional>
#include <string>
#include <vector>

namespace veltara::core {

enum class ControlKind { Label, Frame, TextBox, CheckBox, OptionButton, ComboBox, CommandButton };

// The properties a view has to refresh when the logic writes them.
enum class Property { Text, ListIndex, Value, Enabled, Selection, Focus };

// Position and size in twips, relative to the containing frame or the dialog's client area.
struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// How a view should paint the control; the model only carries it.
struct Appearance {
    bool yellowBackground = false;  // RGB (255, 255, 192)
    bool bold = false;
    double pointSize = 0.0;  // 0: the dialog's default font size
    bool redText = false;    // RGB (255, 0, 0)
};

class Control;

// Implemented by the dialog: moves the focus and raises LostFocus on the control that loses it.
class FocusHost {
public:
    virtual ~FocusHost() = default;
    virtual bool requestFocus(Control& control) = 0;
    virtual const Control* focusedControl() const = 0;
    // The focused control is being disabled: the focus moves on, and no LostFocus is raised for it.
    virtual void focusedControlDisabled(Control& control) = 0;
};

// One named control of the dialog with its design-time data and the Enabled state.
class Control {
public:
    using Observer = std::function<void(Control&, Property)>;

    struct Design {
        std::string name;
        int index = -1;  // 0..3 for the boxes of an identifier row, -1 otherwise
        const Control* container = nullptr;
        std::string caption;
        int tabIndex = -1;
        Geometry geometry;
        Appearance appearance;
    };

    explicit Control(ControlKind kind) : m_kind(kind) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Sets the design-time data once, while the dialog is built; raises nothing.
    void setDesign(Design design) { m_design = std::move(design); }

    ControlKind kind() const { return m_kind; }
    const std::string& name() const { return m_design.name; }
    int index() const { return m_design.index; }
    // The name a view gives its widget: the control name, plus the index for an array box.
    std::string objectName() const;
    const Control* container() const { return m_design.container; }
    const std::string& caption() const { return m_design.caption; }
    int tabIndex() const { return m_design.tabIndex; }
    const Geometry& geometry() const { return m_design.geometry; }
    const Appearance& appearance() const { return m_design.appearance; }
    bool takesFocus() const;

    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // Views subscribe here; they hear about every property the logic writes, after it is stored.
    void addObserver(Observer observer);

    void setFocusHost(FocusHost* host) { m_focusHost = host; }
    bool hasFocus() const;
    // Moves the focus here when the dialog is shown and the control can take it; false otherwise.
    bool setFocus();
    // Tells the views that this control now has the focus; called by the focus host.
    void announceFocus() { notify(Property::Focus); }

protected:
    void notify(Property property);

private:
    ControlKind m_kind;
    Design m_design;
    bool m_enabled = true;
    std::vector<Observer> m_observers;
    FocusHost* m_focusHost = nullptr;
};

// A label, a frame and a command button carry no state beyond Control; the button raises Click.
class CommandButton : public Control {
public:
    CommandButton() : Control(ControlKind::CommandButton) {}
    std::function<void()> onClick;
    void click();
};

}  // namespace veltara::core
