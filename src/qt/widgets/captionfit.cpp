#include "captionfit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>

namespace veltara::qt {

namespace {

// One text and where the style draws it, in the widget's coordinates.
struct Placed {
    QString text;
    QRect room;
    int flags;
};

// The text of a check box, option button or command button, in the room its style leaves beside the
// indicator or inside the bevel.
Placed buttonText(const QAbstractButton& button, QStyle::SubElement contents, int flags) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    return {button.text(), button.style()->subElementRect(contents, &option, &button), flags};
}

std::vector<Placed> placedTexts(const QWidget& w) {
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
        const int wrap = label->wordWrap() ? Qt::TextWordWrap : 0;
        return {{label->text(), label->contentsRect(), static_cast<int>(label->alignment()) | wrap}};
    }
    if (const auto* box = qobject_cast<const QCheckBox*>(&w)) {
        return {buttonText(*box, QStyle::SE_CheckBoxContents, Qt::AlignLeft | Qt::AlignVCenter)};
    }
    if (const auto* option = qobject_cast<const QRadioButton*>(&w)) {
        return {buttonText(*option, QStyle::SE_RadioButtonContents, Qt::AlignLeft | Qt::AlignVCenter)};
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&w)) {
        return {buttonText(*button, QStyle::SE_PushButtonContents, Qt::AlignCenter)};
    }
    if (const auto* frame = qobject_cast<const QGroupBox*>(&w)) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.text = frame->title();
        option.textAlignment = frame->alignment();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        // The style sizes the title's rectangle to the text: it must stay inside the frame.
        const QRect title =
            frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        return {{frame->title(), title.intersected(frame->rect()), Qt::AlignLeft | Qt::AlignVCenter}};
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(&w)) {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        option.frame = combo->hasFrame();
        // The style draws the current item one pixel in from either side of the edit field.
        const QRect room =
            combo->style()
                ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
                .adjusted(1, 0, -1, 0);
        std::vector<Placed> items;
        for (int i = 0; i < combo->count(); ++i) {
            items.push_back({combo->itemText(i), room, Qt::AlignLeft | Qt::AlignVCenter});
        }
        return items;
    }
    return {};
}

// A control that the text, in the parent's coordinates, runs under.
bool coveredBySibling(const QWidget& w, const QRect& text) {
    const QWidget* parent = w.parentWidget();
    if (parent == nullptr) {
        return false;
    }
    // Siblings paint in the order of the parent's children: only the later ones are on top.
    const QObjectList& siblings = parent->children();
    for (auto it = siblings.begin() + siblings.indexOf(&w) + 1; it != siblings.end(); ++it) {
        const auto* sibling = qobject_cast<const QWidget*>(*it);
        if (sibling != nullptr && !sibling->isHidden() && !sibling->isWindow() &&
            sibling->geometry().intersects(text)) {
            return true;
        }
    }
    return false;
}

// Where the text lands when laid out in its room, in the widget's coordinates. Lines are laid out by
// their advances, as the style draws them; a single line ends where its ink ends, since the last
// glyph's side bearing may pass the room's edge unseen while its ink may not.
QRectF textArea(const QFontMetricsF& metrics, const Placed& placed) {
    QRectF laidOut = metrics.boundingRect(QRectF(placed.room), placed.flags, placed.text);
    if (laidOut.height() <= metrics.lineSpacing() + 0.5) {
        laidOut.setRight(laidOut.left() + metrics.tightBoundingRect(placed.text).right());
    }
    return laidOut;
}

}  // namespace

std::vector<ClippedText> clippedTextsOf(const QWidget& w) {
    std::vector<ClippedText> clipped;
    if (w.isHidden() || w.isWindow()) {
        return clipped;
    }
    const QFontMetricsF metrics(w.font(), &w);
    for (const Placed& placed : placedTexts(w)) {
        if (placed.text.isEmpty()) {
            continue;
        }
        const QRectF area = textArea(metrics, placed);
        if (!QRectF(placed.room).contains(area) ||
            coveredBySibling(w, area.translated(w.pos()).toAlignedRect())) {
            clipped.push_back({w.objectName(), placed.text});
        }
    }
    return clipped;
}

std::vector<ClippedText> clippedTexts(const QWidget& root) {
    std::vector<ClippedText> clipped;
    for (const QWidget* w : root.findChildren<const QWidget*>()) {
        for (ClippedText& c : clippedTextsOf(*w)) {
            clipped.push_back(std::move(c));
        }
    }
    return clipped;
}

}  // namespace veltara::qt
