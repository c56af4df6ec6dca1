#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "recordfile.h"
#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

ino_t inodeOf(const fs::path& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_ino;
}

Bytes pattern(std::size_t size, std::uint8_t seed) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + 7 * i);
    }
    return bytes;
}

TEST(RecordFile, CreatesAMissingFileEmptyAndReadsNothingFromIt) {
    TempDir dir;
    platform::RecordFile file((dir / "quorvel.ini").string());
    ASSERT_TRUE(file.open());
    EXPECT_TRUE(file.isOpen());
    EXPECT_TRUE(file.readOnlyReason().empty());
    EXPECT_TRUE(fs::is_regular_file(dir / "quorvel.ini"));
    EXPECT_EQ(fs::file_size(dir / "quorvel.ini"), 0u);
    const auto read = file.read(kSettingsSlotSize);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read.value().empty());
    EXPECT_TRUE(file.close());
    EXPECT_FALSE(file.isOpen());
}

TEST(RecordFile, WritesInPlaceWithoutTruncatingOrReplacing) {
    struct Case {
        const char* name;
        std::size_t before;
        std::size_t after;
    };
    const Case cases[] = {{"empty", 0, 246}, {"short", 100, 246}, {"exact", 246, 246}, {"longer", 500, 500}};
    for (const auto& c : cases) {
        TempDir dir;
        const Bytes old = pattern(c.before, 3);
        writeBytes(dir / "target.bin", old);
        // Written through a link: the link stays and the file behind it takes the record.
        fs::create_symlink(dir / "target.bin", dir / "quorvel.ini");
        const ino_t inode = inodeOf(dir / "target.bin");
        platform::RecordFile file("quorvel.ini");
        {
            ScopedCurrentDirectory cwd(dir.path());
            ASSERT_TRUE(file.open()) << c.name;
            const Bytes record = pattern(kSettingsSlotSize, 0x80);
            ASSERT_TRUE(file.write(record)) << c.name;
            ASSERT_TRUE(file.close()) << c.name;
        }
        const Bytes now = readBytes(dir / "target.bin");
        ASSERT_EQ(now.size(), c.after) << c.name;
        EXPECT_EQ(Bytes(now.begin(), now.begin() + 246), pattern(kSettingsSlotSize, 0x80)) << c.name;
        EXPECT_EQ(Bytes(now.begin() + 246, now.end()),
                  c.before > 246 ? Bytes(old.begin() + 246, old.end()) : Bytes{})
            << c.name;
        EXPECT_TRUE(fs::is_symlink(dir / "quorvel.ini")) << c.name;
        EXPECT_EQ(inodeOf(dir / "target.bin"), inode) << c.name;
    }
}

TEST(RecordFile, ADirectoryInPlaceOfTheFileIsAnErrorThatSaysSo) {
    TempDir dir;
    fs::create_directory(dir / "quorvel.ini");
    for (bool readOnly : {false, true}) {
        platform::RecordFile file((dir / "quorvel.ini").string(), readOnly);
        const Status opened = file.open();
        ASSERT_FALSE(opened) << readOnly;
        EXPECT_NE(opened.error().text.find("directory"), std::string::npos) << opened.error().text;
        EXPECT_FALSE(file.isOpen());
        // A file that failed to open must not read as an empty one.
        EXPECT_FALSE(file.read(kSettingsSlotSize)) << readOnly;
        EXPECT_FALSE(file.write(pattern(kSettingsSlotSize, 0))) << readOnly;
    }
}

TEST(RecordFile, AFullDiskFailsTheWrite) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    TempDir dir;
    fs::create_symlink("/dev/full", dir / "quorvel.ini");
    platform::RecordFile file((dir / "quorvel.ini").string());
    ASSERT_TRUE(file.open());
    const Status written = file.write(pattern(kSettingsSlotSize, 0));
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().text, "No space left on device");
}

TEST(RecordFile, ReadOnlyModeNeverCreatesOrWrites) {
    TempDir dir;
    {
        platform::RecordFile file((dir / "quorvel.ini").string(), true);
        ASSERT_TRUE(file.open());
        const auto read = file.read(kSettingsSlotSize);
        ASSERT_TRUE(read);
        EXPECT_TRUE(read.value().empty());
        EXPECT_FALSE(fs::exists(dir / "quorvel.ini"));
    }
    const Bytes content = pattern(300, 9);
    writeBytes(dir / "quorvel.ini", content);
    platform::RecordFile file((dir / "quorvel.ini").string(), true);
    ASSERT_TRUE(file.open());
    const auto read = file.read(kSettingsSlotSize);
    ASSERT_TRUE(read);
    EXPECT_EQ(read.value(), Bytes(content.begin(), content.begin() + 246));
    EXPECT_FALSE(file.write(pattern(kSettingsSlotSize, 0)));
    EXPECT_EQ(readBytes(dir / "quorvel.ini"), content);
}

}  // namespace
}  // namespace veltara::test
