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
        {"COM1", "/dev/ttyS0", std::nullopt, "COM1 is /dev/ttyS0"},
        {"", "", std::nullopt, "No port selected"},
        {"COM3", "", std::nullopt, "COM3: no device is known for this port"},
        {"COM5", "/dev/ttyUSB0", core::Error{ErrorCode::NotFound, "No such file or directory"},
         "COM5 is /dev/ttyUSB0\nOpening it failed: No such file or directory"},
        {"COM2", "/dev/ttyS1", core::Error{ErrorCode::PermissionDenied, "Permission denied"},
         "COM2 is /dev/ttyS1\nOpening it failed: Permission denied: your user must be in the dialout group "
         "(or the "
         "group that owns the device)"},
        {"COM5", "/dev/ttyUSB0", core::Error{ErrorCode::PermissionDenied, "Permission denied"},
         "COM5 is /dev/ttyUSB0, FT232R USB UART, serial number A10K\nTo keep COM5 on this adapter: "
         "veltara-cli ports "
         "--assign COM5 /dev/serial/by-id/usb-A10K\nOpening it failed: Permission denied: join uucp",
         qt::PortAdapters{ftdi, false, {}, "join uucp"}},
        {"COM3", "/dev/ttyUSB0", std::nullopt, "COM3 is /dev/ttyUSB0, FT232R USB UART, serial number A10K",
         qt::PortAdapters{ftdi, true, {acm}, ""}},
        {"COM3", "/dev/ttyS2", core::Error{ErrorCode::NotFound, "No such file or directory"},
         "COM3 is /dev/ttyS2\nOpening it failed: No such file or directory\n/dev/ttyACM0 has no COM name; "
         "map it to "
         "COM3: veltara-cli ports --assign COM3 /dev/ttyACM0",
         qt::PortAdapters{std::nullopt, false, {acm}, ""}},
        // The hint follows the code, not the words: a busy port that mentions permissions gets none.
        {"COM2", "/dev/ttyS1", core::Error{ErrorCode::Busy, "Permission error while locking the device"},
         "COM2 is /dev/ttyS1\nOpening it failed: Permission error while locking the device"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(qt::portToolTip(c.entry, c.device, c.error, c.adapters), QString::fromUtf8(c.tip));
    }
}

}  // namespace
}  // namespace veltara::test
