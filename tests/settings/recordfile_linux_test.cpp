#include <gtest/gtest.h>

#include <filesystem>

#include "fileidentity.h"
#include "platform/recordfile.h"
#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(RecordFileOnLinux, WritesThroughALinkIntoTheFileBehindIt) {
    TempDir dir;
    writeBytes(dir / "target.bin", Bytes(500, 0x3C));
    fs::create_symlink(dir / "target.bin", dir / "quorvel.ini");
    const auto identity = fileIdentity(dir / "target.bin");
    platform::RecordFile file((dir / "quorvel.ini").string());
    ASSERT_TRUE(file.open());
    ASSERT_TRUE(file.write(Bytes(kSettingsSlotSize, 0x80)));
    ASSERT_TRUE(file.close());
    Bytes expected(500, 0x3C);
    std::fill_n(expected.begin(), kSettingsSlotSize, 0x80);
    EXPECT_EQ(readBytes(dir / "target.bin"), expected);
    EXPECT_TRUE(fs::is_symlink(dir / "quorvel.ini"));
    EXPECT_EQ(fileIdentity(dir / "target.bin"), identity);
}

// The record is written in place, so a link to /dev/full behaves as a file on a full disk: shutdown says
// the settings were not saved, naming the file and the reason.
TEST(RecordFileOnLinux, AFullDiskFailsTheWriteAndShutdownSaysSo) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    TempDir dir;
    fs::create_symlink("/dev/full", dir / "quorvel.ini");
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

// A file that opens but cannot be read: a link to this process's memory, where offset 0 is unmapped.
// Shutdown then writes nothing and says why.
TEST(RecordFileOnLinux, AReadErrorIsReportedAndTheFileIsNotWritten) {
    TempDir dir;
    fs::create_symlink("/proc/self/mem", dir / "quorvel.ini");
    ScopedCurrentDirectory cwd(dir.path());
    HeadlessSession s;
    s.start();
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_TRUE(contains(s.messages.shown[0].text, "cannot be read: Input/output error"));
    s.messages.clear();
    s.close();
    ASSERT_EQ(s.messages.shown.size(), 1u);
    EXPECT_TRUE(contains(s.messages.shown[0].text, "could not be read at start-up (Input/output error)"));
}

}  // namespace
}  // namespace veltara::test
