#include <gtest/gtest.h>

#include <filesystem>

#include "fileidentity.h"
#include "platform/recordfile.h"
#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

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
        // The old content holds 0x1A, which ends a text-mode read on Windows.
        const Bytes old = pattern(c.before, 3);
        writeBytes(dir / "quorvel.ini", old);
        writeBytes(dir / "other.bin", old);
        const auto identity = fileIdentity(dir / "quorvel.ini");
        ASSERT_TRUE(identity) << c.name;
        // An identity that tells nothing apart would let a replaced file pass.
        ASSERT_NE(identity, fileIdentity(dir / "other.bin")) << c.name;
        platform::RecordFile file("quorvel.ini");
        {
            ScopedCurrentDirectory cwd(dir.path());
            ASSERT_TRUE(file.open()) << c.name;
            const auto read = file.read(kSettingsSlotSize);
            ASSERT_TRUE(read) << c.name;
            const auto kept = static_cast<long>(std::min(c.before, kSettingsSlotSize));
            EXPECT_EQ(read.value(), Bytes(old.begin(), old.begin() + kept)) << c.name;
            ASSERT_TRUE(file.write(pattern(kSettingsSlotSize, 0x80))) << c.name;
            ASSERT_TRUE(file.close()) << c.name;
        }
        const Bytes now = readBytes(dir / "quorvel.ini");
        ASSERT_EQ(now.size(), c.after) << c.name;
        EXPECT_EQ(Bytes(now.begin(), now.begin() + 246), pattern(kSettingsSlotSize, 0x80)) << c.name;
        EXPECT_EQ(Bytes(now.begin() + 246, now.end()),
                  c.before > 246 ? Bytes(old.begin() + 246, old.end()) : Bytes{})
            << c.name;
        EXPECT_EQ(fileIdentity(dir / "quorvel.ini"), identity) << c.name;
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

// Names arrive as UTF-8 everywhere; on Windows they must reach the wide API unchanged.
TEST(RecordFile, NamesOutsideAsciiAreOpenedAndReported) {
    TempDir dir;
    const std::u8string folder = u8"R\u00e9glages-\u8a2d\u5b9a";
    fs::create_directory(dir.path() / folder);
    const fs::path path = dir.path() / folder / "quorvel.ini";
    const std::u8string name = path.u8string();
    platform::RecordFile file(std::string(name.begin(), name.end()));
    ASSERT_TRUE(file.open());
    EXPECT_EQ(file.displayName(), std::string(name.begin(), name.end()));
    ASSERT_TRUE(file.write(pattern(kSettingsSlotSize, 1)));
    ASSERT_TRUE(file.close());
    EXPECT_EQ(readBytes(path), pattern(kSettingsSlotSize, 1));
}

// A second window on the file reads it but never writes, while readers such as the CLI still get in; once
// the first has closed, the file is free again.
TEST(RecordFile, ASecondWriterIsToldAndNeverWrites) {
    TempDir dir;
    const std::string path = (dir / "quorvel.ini").string();
    writeBytes(path, pattern(300, 5));
    platform::RecordFile first(path), second(path), reader(path, true);
    ASSERT_TRUE(first.open());
    ASSERT_TRUE(second.open());
    ASSERT_TRUE(reader.open());
    EXPECT_FALSE(first.lockedElsewhere());
    EXPECT_TRUE(second.lockedElsewhere());
    for (platform::RecordFile* file : {&second, &reader}) {
        const auto read = file->read(kSettingsSlotSize);
        ASSERT_TRUE(read);
        EXPECT_EQ(read.value(), pattern(kSettingsSlotSize, 5));
    }
    EXPECT_FALSE(second.write(pattern(kSettingsSlotSize, 0)));
    ASSERT_TRUE(first.write(pattern(kSettingsSlotSize, 9)));
    ASSERT_TRUE(first.close());
    ASSERT_TRUE(second.close());
    ASSERT_TRUE(second.open());
    EXPECT_FALSE(second.lockedElsewhere());
    EXPECT_TRUE(second.write(pattern(kSettingsSlotSize, 9)));
}

}  // namespace
}  // namespace veltara::test
