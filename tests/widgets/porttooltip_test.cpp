#include <gtest/gtest.h>

#include <optional>

#include "widgets/porttooltip.h"

namespace veltara::test {
namespace {

TEST(PortToolTip, NamesTheDeviceAndTheReasonWithAHintForPermissions) {
    using core::ErrorCode;
    struct Case {
        const char* entry;
        const char* device;
        std::optional<core::Error> error;
        const char* tip;
        qt::PortAdapters adapters = {};
    };
    const qt::SerialDevice ftdi{"/dev/ttyUSB0", "FT232R USB UART",           "FTDI", 0x0403, 0x6001,
                                "A10K",         "/dev/serial/by-id/usb-A10K"};
    const qt::SerialDevice acm{"/dev/ttyACM0", "", "", 0x2341, 0x0043, "", ""};
    const Case cases[] = {
        {.entry = "COM1", .device = "/dev/ttyS0", .error = std::nullopt, .tip = "COM1 is /dev/ttyS0"},
        {.entry = "", .device = "", .error = std::nullopt, .tip = "No port selected"},
        {.entry = "COM3",
         .device = "",
         .error = std::nullopt,
         .tip = "COM3: no device is known for this port"},
        {.entry = "COM5",
         .device = "/dev/ttyUSB0",
         .error = core::Error{ErrorCode::NotFound, "No such file or directory"},
         .tip = "COM5 is /dev/ttyUSB0\nOpening it failed: No such file or directory"},
        {.entry = "COM2",
         .device = "/dev/ttyS1",
         .error = core::Error{ErrorCode::PermissionDenied, "Permission denied"},
         .tip = "COM2 is /dev/ttyS1\nOpening it failed: Permission denied: your user must be in the dialout "
                "group "
                "(or the "
                "group that owns the device)"},
        {.entry = "COM5",
         .device = "/dev/ttyUSB0",
         .error = core::Error{ErrorCode::PermissionDenied, "Permission denied"},
         .tip = "COM5 is /dev/ttyUSB0, FT232R USB UART, serial number A10K\nTo keep COM5 on this adapter: "
                "veltara-cli ports "
                "--assign COM5 /dev/serial/by-id/usb-A10K\nOpening it failed: Permission denied: join uucp",
         .adapters = qt::PortAdapters{ftdi, false, {}, "join uucp"}},
        {.entry = "COM3",
         .device = "/dev/ttyUSB0",
         .error = std::nullopt,
         .tip = "COM3 is /dev/ttyUSB0, FT232R USB UART, serial number A10K",
         .adapters = qt::PortAdapters{ftdi, true, {acm}, ""}},
        {.entry = "COM3",
         .device = "/dev/ttyS2",
         .error = core::Error{ErrorCode::NotFound, "No such file or directory"},
         .tip = "COM3 is /dev/ttyS2\nOpening it failed: No such file or directory\n/dev/ttyACM0 has no COM "
                "name; "
                "map it to "
                "COM3: veltara-cli ports --assign COM3 /dev/ttyACM0",
         .adapters = qt::PortAdapters{std::nullopt, false, {acm}, ""}},
        // The hint follows the code, not the words: a busy port that mentions permissions gets none.
        {"COM2", "/dev/ttyS1", core::Error{ErrorCode::Busy, "Permission error while locking the device"},
         "COM2 is /dev/ttyS1\nOpening it failed: Permission error while locking the device"}};
    for (const Case& c : cases) {
        EXPECT_EQ(qt::portToolTip(c.entry, c.device, c.error, c.adapters), QString::fromUtf8(c.tip));
    }
}

}  // namespace
}  // namespace veltara::test
