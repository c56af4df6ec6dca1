#include "portnames.h"

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>

#include "ptypair.h"
#include "serialdevices.h"
#include "tempportfolder.h"

namespace veltara::qt {
namespace {

namespace fs = std::filesystem;
using test::TempPortFolder;

TEST(PortNames, TheFolderFollowsTheUsersConfigurationHome) {
    TempPortFolder folder;
    ASSERT_TRUE(folder.ok());
    EXPECT_EQ(portFolder().toStdString(), folder.path("veltara/ports"));
    EXPECT_EQ(portEntryPath(3).toStdString(), folder.path("veltara/ports/COM3"));
}

// An adapter with several interfaces has a by-id name for each; the whole device's is the shortest.
TEST(PortNames, TheByIdNameIsTheShortestLinkToTheDevice) {
    TempPortFolder folder;
    test::PtyPair adapter;
    test::PtyPair other;
    ASSERT_TRUE(adapter.ok() && other.ok());
    const std::string byId = folder.path("by-id");
    fs::create_directory(byId);
    fs::create_symlink(adapter.path(), byId + "/usb-Maker_Adapter_A1-if01-port0");
    fs::create_symlink(adapter.path(), byId + "/usb-Maker_Adapter_A1-port0");
    fs::create_symlink(other.path(), byId + "/usb-Maker_Other_B2-port0");
    EXPECT_EQ(byIdName(adapter.path(), byId), byId + "/usb-Maker_Adapter_A1-port0");
    EXPECT_EQ(byIdName(byId + "/usb-Maker_Other_B2-port0", byId), byId + "/usb-Maker_Other_B2-port0");
    EXPECT_EQ(byIdName("/dev/null", byId), "");
    EXPECT_EQ(byIdName(adapter.path(), folder.path("no-such-folder")), "");
}

TEST(PortNames, WithoutAnEntryTheUsualDevicesAreUsed) {
    TempPortFolder folder;
    const char* const expected[] = {"/dev/ttyS0",   "/dev/ttyS1",   "/dev/ttyS2",   "/dev/ttyS3",
                                    "/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB3"};
    for (int port = 1; port <= 8; ++port) {
        const std::string device = portDevice(port).toStdString();
        // Where the system itself links the device elsewhere, the final name is what counts.
        std::error_code error;
        const fs::path canonical = fs::canonical(expected[port - 1], error);
        EXPECT_EQ(device, error ? std::string(expected[port - 1]) : canonical.string()) << "COM" << port;
    }
}

TEST(PortNames, AnEntryNamesTheDeviceItResolvesTo) {
    struct Case {
        const char* name;
        std::function<std::string(const TempPortFolder&)> makeEntry;  // returns the expected device
    };
    const Case cases[] = {
        {"link to a device",
         [](const TempPortFolder& f) {
             QFile(QString::fromStdString(f.path("ttyUSB7"))).open(QIODevice::WriteOnly);
             f.link(3, f.path("ttyUSB7"));
             return f.path("ttyUSB7");
         }},
        {"link to a link, as /dev/serial/by-id is",
         [](const TempPortFolder& f) {
             QFile(QString::fromStdString(f.path("ttyACM0"))).open(QIODevice::WriteOnly);
             fs::create_symlink(f.path("ttyACM0"), f.path("usb-Converter_1234-if00"));
             f.link(3, f.path("usb-Converter_1234-if00"));
             return f.path("ttyACM0");
         }},
        {"relative link",
         [](const TempPortFolder& f) {
             QFile(QString::fromStdString(f.path("ttyUSB9"))).open(QIODevice::WriteOnly);
             f.link(3, "../../ttyUSB9");
             return f.path("ttyUSB9");
         }},
        {"adapter unplugged: the link dangles",
         [](const TempPortFolder& f) {
             f.link(3, f.path("gone/ttyUSB0"));
             return f.path("gone/ttyUSB0");
         }},
    };
    for (const Case& c : cases) {
        TempPortFolder folder;
        const std::string expected = c.makeEntry(folder);
        EXPECT_EQ(portDevice(3).toStdString(), expected) << c.name;
        EXPECT_EQ(portDevice(4).toStdString().rfind("/dev/tty", 0), 0u)
            << c.name << ": other ports unaffected";
    }
}

TEST(PortNames, NumbersOutsideTheListNameNoDevice) {
    TempPortFolder folder;
    for (int port : {-1, 0, 9, 256}) {
        EXPECT_TRUE(portDevice(port).isEmpty()) << port;
    }
}

}  // namespace
}  // namespace veltara::qt
