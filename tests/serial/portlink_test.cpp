#include "portlink.h"

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>

#include "convertersimulator.h"
#include "portnames.h"
#include "tempportfolder.h"

namespace veltara::sim {
namespace {

namespace fs = std::filesystem;
using test::TempPortFolder;

std::string linkTarget(const std::string& entry) {
    std::error_code error;
    return fs::read_symlink(entry, error).string();
}

TEST(PortLink, TakesTheEntryOnlyWhenItIsFreeOrLeftBehind) {
    struct Case {
        const char* name;
        std::function<void(const TempPortFolder&, const std::string& device, const std::string& inUse)>
            existing;
        bool taken;
    };
    const Case cases[] = {
        {"no folder yet", [](const TempPortFolder&, const std::string&, const std::string&) {}, true},
        {"a simulator link whose terminal is gone",
         [](const TempPortFolder& f, const std::string&, const std::string&) {
             f.link(2, "/dev/pts/987654");
         },
         true},
        {"our own terminal number left behind",
         [](const TempPortFolder& f, const std::string& device, const std::string&) { f.link(2, device); },
         true},
        {"the user's adapter",
         [](const TempPortFolder& f, const std::string&, const std::string&) { f.link(2, "/dev/ttyUSB0"); },
         false},
        {"another simulator's terminal",
         [](const TempPortFolder& f, const std::string&, const std::string& inUse) { f.link(2, inUse); },
         false},
        {"a file that is not a link",
         [](const TempPortFolder&, const std::string&, const std::string&) {
             fs::create_directories(qt::portFolder().toStdString());
             QFile(qt::portEntryPath(2)).open(QIODevice::WriteOnly);
         },
         false},
    };
    ConverterSimulator other(ReplyMode::Ack, nullptr);
    ASSERT_TRUE(other.open());
    for (const Case& c : cases) {
        TempPortFolder folder;
        ConverterSimulator simulator(ReplyMode::Ack, nullptr);
        ASSERT_TRUE(simulator.open());
        c.existing(folder, simulator.devicePath(), other.devicePath());
        const std::string entry = qt::portEntryPath(2).toStdString();
        const std::string before = linkTarget(entry);
        {
            PortLink link;
            const core::Status created = link.create(2, simulator.devicePath());
            EXPECT_EQ(created.ok(), c.taken) << c.name;
            if (c.taken) {
                EXPECT_EQ(linkTarget(entry), simulator.devicePath()) << c.name;
                EXPECT_EQ(qt::portDevice(2).toStdString(), simulator.devicePath()) << c.name;
            } else {
                EXPECT_EQ(created.error().code, core::ErrorCode::Busy) << c.name;
                EXPECT_NE(created.error().text.find("already exists"), std::string::npos) << c.name;
                EXPECT_EQ(linkTarget(entry), before) << c.name << ": the entry was touched";
            }
        }
        // Gone with the link object when it was ours, untouched otherwise.
        EXPECT_EQ(fs::exists(fs::symlink_status(entry)), !c.taken) << c.name;
    }
}

TEST(PortLink, LeavesAnEntrySomeoneElseRepointedMeanwhile) {
    TempPortFolder folder;
    ConverterSimulator simulator(ReplyMode::Ack, nullptr);
    ASSERT_TRUE(simulator.open());
    const std::string entry = qt::portEntryPath(6).toStdString();
    {
        PortLink link;
        ASSERT_TRUE(link.create(6, simulator.devicePath()));
        fs::remove(entry);
        fs::create_symlink("/dev/ttyUSB1", entry);
    }
    EXPECT_EQ(linkTarget(entry), "/dev/ttyUSB1");
}

TEST(PortLink, RefusesNumbersOutsideTheList) {
    TempPortFolder folder;
    PortLink link;
    for (int port : {0, 9}) {
        EXPECT_EQ(link.create(port, "/dev/pts/1").error().code, core::ErrorCode::InvalidArgument) << port;
    }
}

}  // namespace
}  // namespace veltara::sim
