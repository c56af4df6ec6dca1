#pragma once

#include <QString>
#include <vector>

class QWidget;

namespace veltara::qt {

// A caption or list item that its widget cannot show whole.
struct ClippedText {
    QString widget;  // object name
    QString text;
};

// Every caption and list item under `root` that does not show whole in the widget's own font: wider
// than the room its style leaves for it (a label: wrapped past its height), or running under another
// control beside it. The layout's places and sizes are fixed, so a face wider than the one they were
// drawn for shows up here.
std::vector<ClippedText> clippedTexts(const QWidget& root);

// The texts of `w` alone that it cannot show whole in its font.
std::vector<ClippedText> clippedTextsOf(const QWidget& w);

}  // namespace veltara::qt
