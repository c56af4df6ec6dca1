#include "dialogwindow.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <algorithm>

#include "captionfit.h"
#include "controlbinding.h"
#include "controlwidgets.h"
#include "dialog/dialog.h"
#include "dialog/layout.h"
#include "focustracker.h"
#include "porttooltip.h"
#include "qtscreen.h"
#include "serial/portauthority.h"
#include "twips.h"

namespace veltara::qt {

namespace {

// Qt answers a missing first family with a sorted search through every installed font for its
// substitutes, even when it then takes a later family of the list; it takes the first installed one,
// so the list may as well start there. Nothing installed: the whole list, Qt's own choice as before.
QStringList fromFirstInstalled(QStringList families) {
    const QStringList installed = QFontDatabase::families();
    const auto isInstalled = [&installed](const QString& family) {
        // A family that several foundries supply is listed once for each, as "Family [Foundry]".
        const QString perFoundry = family + QStringLiteral(" [");
        return std::any_of(installed.cbegin(), installed.cend(), [&](const QString& name) {
            return name.compare(family, Qt::CaseInsensitive) == 0 ||
                   name.startsWith(perFoundry, Qt::CaseInsensitive);
        });
    };
    const auto first = std::find_if(families.cbegin(), families.cend(), isInstalled);
    if (first != families.cend()) {
        families.erase(families.cbegin(), first);
    }
    return families;
}

// The layout was drawn for an 8.25 point sans serif of narrow build; the wide default faces of many
// Linux desktops would cut the longer captions. The Linux look-alikes come first (Debian's package
// brings Liberation Sans); Windows has neither and finds its own further down. Last, a condensed face
// that DejaVu's fuller package ships, before Qt's own choice.
constexpr double kDesignPointSize = 8.25;
// Below this a face is too hard to read; a window still cut at this size shows it rather than shrink on.
constexpr double kSmallestPointSize = 6.0;
constexpr double kPointSizeStep = 0.25;

QFont dialogFont(double pointSize) {
    QFont font;
    font.setFamilies(fromFirstInstalled(
        {QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans"), QStringLiteral("MS Sans Serif"),
         QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"), QStringLiteral("Helvetica"),
         QStringLiteral("DejaVu Sans Condensed")}));
    font.setPointSizeF(pointSize);
    return font;
}

}  // namespace

DialogWindow::DialogWindow(core::Dialog& dialog, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_dialog(dialog),
      m_focusTracker(new FocusTracker(dialog, this)) {
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QString::fromLatin1(core::Dialog::kCaption));
    setFixedSize(twipsToPixels(core::Dialog::kClientWidth), twipsToPixels(core::Dialog::kClientHeight));
    setFont(dialogFont(kDesignPointSize));

    for (core::Control* control : m_dialog.controls()) {
        ensureWidget(*control);
    }
    fitFont();
    setTabOrder();
    nameInputsAfterLabels();

    m_dialog.onPortStateChanged = [this] { m_portToolTipStale = true; };
    widgetFor(m_dialog.CmbCOM)->installEventFilter(this);
}

DialogWindow::~DialogWindow() {
    m_dialog.onPortStateChanged = nullptr;
}

QWidget* DialogWindow::ensureWidget(core::Control& control) {
    if (QWidget* existing = widgetFor(control)) {
        return existing;
    }
    // A control sits in its frame; the frame is made first whatever the order of the table.
    QWidget* parent = this;
    if (const core::Control* container = control.container()) {
        parent = ensureWidget(*m_dialog.findControl(container->objectName()));
    }
    QWidget* widget = createControlWidget(control, parent);
    m_widgets.emplace(&control, widget);
    bindControl(control, widget);
    if (control.takesFocus()) {
        m_focusTracker->track(widget, control);
    }
    return widget;
}

void DialogWindow::fitFont() {
    // Places and sizes are the layout's own, so a face wider than the one they were drawn for may cut a
    // caption (at 11 pixels even Liberation Sans cuts the colon of "Filter1:"). Only such a caption is
    // made smaller, to the largest size at which it shows whole; every other text keeps its size. Faces
    // come in whole pixels: a step that keeps the pixel size is skipped.
    for (const auto& [control, widget] : m_widgets) {
        QFont font = widget->font();
        while (!clippedTextsOf(*widget).empty()) {
            const int pixels = QFontInfo(font).pixelSize();
            do {
                if (font.pointSizeF() - kPointSizeStep < kSmallestPointSize) {
                    break;
                }
                font.setPointSizeF(font.pointSizeF() - kPointSizeStep);
            } while (QFontInfo(font).pixelSize() >= pixels);
            if (QFontInfo(font).pixelSize() >= pixels) {
                break;  // as small as is still readable: shown cut rather than smaller
            }
            // A frame hands its font down; what stands inside keeps its own.
            for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                QFont pinned = child->font();
                pinned.setResolveMask(QFont::AllPropertiesResolved);
                child->setFont(pinned);
            }
            widget->setFont(font);
        }
    }
}

QWidget* DialogWindow::widgetFor(const core::Control& control) const {
    const auto it = m_widgets.find(&control);
    return it == m_widgets.end() ? nullptr : it->second;
}

void DialogWindow::setTabOrder() {
    QWidget* previous = nullptr;
    for (const core::Control* control : m_dialog.controls()) {
        if (!control->takesFocus()) {
            continue;
        }
        QWidget* widget = widgetFor(*control);
        if (previous) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

void DialogWindow::nameInputsAfterLabels() {
    for (const core::Control* control : m_dialog.controls()) {
        QWidget* widget = widgetFor(*control);
        if (const core::Control* label = m_dialog.labelOf(*control)) {
            QString name = QString::fromStdString(core::plainCaption(label->caption()));
            if (control->index() >= 0) {
                // A row reads as one identifier from left to right; each box holds one byte of it.
                name += QStringLiteral(", byte %1").arg(control->index());
                widget->setAccessibleDescription(
                    QStringLiteral("Hexadecimal; byte 3 is the most significant, byte 0 the least"));
                if (control->index() == 3) {
                    static_cast<QLabel*>(widgetFor(*label))->setBuddy(widget);
                }
            } else {
                static_cast<QLabel*>(widgetFor(*label))->setBuddy(widget);
            }
            widget->setAccessibleName(name);
        } else if (control->takesFocus()) {
            widget->setAccessibleName(QString::fromStdString(core::plainCaption(control->caption())));
        }
    }
}

QString DialogWindow::portToolTip() {
    if (m_portToolTipStale) {
        m_portToolTipStale = false;
        refreshPortToolTip();
    }
    return widgetFor(m_dialog.CmbCOM)->toolTip();
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ToolTip && watched == widgetFor(m_dialog.CmbCOM)) {
        (void)portToolTip();
    }
    return QWidget::eventFilter(watched, event);
}

void DialogWindow::refreshPortToolTip() {
    const core::ComboBox& ports = m_dialog.CmbCOM;
    const std::string device = ports.listIndex() < 0 ? std::string() : m_dialog.portDevice();
    PortAdapters adapters;
    if (!device.empty()) {
        const std::vector<SerialDevice> devices = serialDevices();
        adapters.selected = findSerialDevice(devices, device);
        adapters.linked = !ports::resolvePort(ports.listIndex() + 1).linkTarget.empty();
        for (const SerialDevice& d : devices) {
            // Adapters, not the on-board UARTs.
            if ((d.vendorId || !d.byId.empty()) && ports::comNamesOf(d).empty()) {
                adapters.unnamed.push_back(d);
            }
        }
        adapters.permissionHint = ports::permissionHint(device);
    }
    widgetFor(ports)->setToolTip(qt::portToolTip(ports.text(), device, m_dialog.lastPortError(), adapters));
}

void DialogWindow::load() {
    m_dialog.Form_Load();
    // The model centres the dialog in twips within the screen's working area; keep the title bar
    // reachable should the screen be smaller than the dialog.
    const QPoint offset(std::max(0, twipsToPixels(m_dialog.left())),
                        std::max(0, twipsToPixels(m_dialog.top())));
    move(QtScreen::origin() + offset);
}

void DialogWindow::unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    m_dialog.Form_Unload();
    m_dialog.setShown(false);
}

void DialogWindow::showEvent(QShowEvent* event) {
    m_dialog.setShown(true);
    QWidget::showEvent(event);
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    unload();
    event->accept();
}

}  // namespace veltara::qt
