#include <gtest/gtest.h>

#include <filesystem>

#include "fileidentity.h"
#include "recordfile.h"
#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(RecordFileOnLinux, WritesThroughALinkIntoTheFileBehindIt) {
    for (std::size_t before : {0u, 500u}) {
        TempDir dir;
        const Bytes old(before, 0x3C);
        writeBytes(dir / "target.bin", old);
        fs::create_symlink(dir / "target.bin", dir / "quorvel.ini");
        const auto identity = fileIdentity(dir / "target.bin");
        platform::RecordFile file((dir / "quorvel.ini").string());
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write(Bytes(kSettingsSlotSize, 0x80)));
        ASSERT_TRUE(file.close());
        Bytes expected = old;
        expected.resize(std::max(before, kSettingsSlotSize));
        std::fill_n(expected.begin(), kSettingsSlotSize, 0x80);
        EXPECT_EQ(readBytes(dir / "target.bin"), expected) << before;
        EXPECT_TRUE(fs::is_symlink(dir / "quorvel.ini")) << before;
        EXPECT_EQ(fileIdentity(dir / "target.bin"), identity) << before;
    }
}

// The record is written in place, so a link to /dev/full behaves as a file on a full disk: the write
// fails, and shutdown says the settings were not saved, naming the file and the reason.
TEST(RecordFileOnLinux, AFullDiskFailsTheWriteAndShutdownSaysSo) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    TempDir dir;
    fs::create_symlink("/dev/full", dir / "quorvel.ini");
    {
        platform::RecordFile file((dir / "quorvel.ini").string());
        ASSERT_TRUE(file.open());
        const Status written = file.write(Bytes(kSettingsSlotSize, 0));
        ASSERT_FALSE(written);
        EXPECT_EQ(written.error().text, "No space left on device");
    }
    ScopedCurrentDirectory cwd(dir.path());
    HeadlessSession s;
    s.start();
    EXPECT_TRUE(s.messages.shown.empty());
    EXPECT_EQ(s.dialog.CmbCOM.text(), "COM1");
    s.close();
    ASSERT_EQ(s.messages.shown.size(), 1u);
    const std::string& text = s.messages.shown[0].text;
    EXPECT_TRUE(contains(text, "were not saved")) << text;
    EXPECT_TRUE(contains(text, (fs::current_path() / "quorvel.ini").string())) << text;
    EXPECT_TRUE(contains(text, "No space left on device")) << text;
    EXPECT_EQ(fs::read_symlink(dir / "quorvel.ini"), "/dev/full");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace veltara::test
