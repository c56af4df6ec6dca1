#pragma once

#include <span>
#include <string>
#include <string_view>

#include "dialog/control.h"

namespace veltara::core {

class Dialog;

// One control as the dialog lays it out: its object name, the member of the dialog it is (whose type
// is its kind), the frame it sits in, its caption, tab index, place and size (twips within its frame),
// look, and the label it is read with, which names it to screen readers and on the command line. The
// identifier rows' boxes come from their own table (identifierrows.h), which names their labels too.
struct LayoutEntry {
    const char* name;
    Control& (*control)(Dialog&);
    const char* container = nullptr;
    const char* caption = "";
    int tab = 0;
    Geometry geometry{};
    Appearance appearance{};
    const char* label = nullptr;
};

std::span<const LayoutEntry> dialogLayout();

// A caption as it is read aloud or named: without the spaces and colons around it ("Mask: ").
std::string plainCaption(std::string_view caption);

}  // namespace veltara::core
