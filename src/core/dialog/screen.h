#pragma once

namespace veltara::core {

// The size of the screen the dialog is centred on, in twips.
class Screen {
public:
    virtual ~Screen() = default;
    virtual double widthTwips() const = 0;
    virtual double heightTwips() const = 0;
};

}  // namespace veltara::core
