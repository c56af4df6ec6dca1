// Faults around the settings file: odd lengths and values, a folder the user may not write, a full
// disk and a program killed while it saves.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>

#include "drillsupport.h"
#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

constexpr auto kHang = 10s;

Bytes withTail(Bytes bytes, std::size_t length) {
    for (std::size_t i = bytes.size(); i < length; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(i * 13 + 5));
    }
    bytes.resize(length);
    return bytes;
}

Bytes withReserved(std::int16_t reserved) {
    ConverterSettings record = savedRecord();
    record.Reserved = reserved;
    return slotBytes(record);
}

// Lengths 0 to 246 and Reserved 0x1234: Startup.AFileCutAtAnyLengthStartsAndIsWrittenBackWhole and
// Startup.SavedSettingsAreRestoredAndSavedBackUnchanged; a missing file: Startup.FirstStart...; a
// directory: Startup.ADirectoryInPlaceOfTheFileIsReportedAndLeftAlone. These pin the exact messages
// where a cut lands in the texts, and the lengths beyond one record.
TEST(SettingsFileDrill, OddLengthsAndValuesStartWithTheirExactMessagesAndLoseNothing) {
    const Bytes saved = slotBytes(savedRecord());
    struct Case {
        const char* name;
        Bytes content;
        Texts messages;       // shown at start-up, in order
        std::string protect;  // the protection value box after start-up
        Bytes after;          // the file after closing without edits
    };
    const Case cases[] = {{.name = "cut inside the protection value (134 bytes)",
                           .content = Bytes(saved.begin(), saved.begin() + 134),
                           .messages = {"Please enter the hexcial digit (0 to FF)!"},
                           .protect = "0",
                           .after =
                               [&] {
                                   ConverterSettings r = savedRecord();
                                   r.OutputProtectValue.store("0");
                                   return slotBytes(r);
                               }()},
                          {.name = "one byte short of the texts (137 bytes)",
                           .content = Bytes(saved.begin(), saved.begin() + 137),
                           .messages = {},
                           .protect = "5A ",
                           .after = saved},
                          {.name = "one byte longer than a record (247 bytes)",
                           .content = withTail(saved, 247),
                           .messages = {},
                           .protect = "5A  ",
                           .after = withTail(saved, 247)},
                          {.name = "64 KiB",
                           .content = withTail(saved, 64 * 1024),
                           .messages = {},
                           .protect = "5A  ",
                           .after = withTail(saved, 64 * 1024)},
                          {.name = "Reserved FFFF",
                           .content = withReserved(-1),
                           .messages = {},
                           .protect = "5A  ",
                           .after = withReserved(-1)},
                          {.name = "Reserved 1234",
                           .content = withReserved(0x1234),
                           .messages = {},
                           .protect = "5A  ",
                           .after = withReserved(0x1234)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        ScopedCurrentDirectory cwd(dir.path());
        writeBytes(dir / "quorvel.ini", c.content);
        for (int run = 0; run < 2; ++run) {
            HeadlessSession s;
            s.start();
            // The record is restored on every run, from the second on with nothing left to correct.
            EXPECT_EQ(s.messages.texts(), run == 0 ? c.messages : Texts{});
            for (const Message& m : s.messages.shown) {
                EXPECT_EQ(m.title, "Input Data Error");
            }
            EXPECT_EQ(s.dialog.CmbCOM.text(), "COM3");
            EXPECT_EQ(s.dialog.txtPeriodmsCount.text(), "1234    ");
            if (run == 0) {
                EXPECT_EQ(s.dialog.txtOutputProtectValue.text(), c.protect);
            }
            s.messages.clear();
            s.close();
            EXPECT_TRUE(s.messages.shown.empty()) << s.messages.shown[0].text;
            EXPECT_EQ(readBytes(dir / "quorvel.ini"), c.after);
        }
    }
}

// A read-only file and a read-only folder without the file, as a user whom modes hold back:
// FilePermissions.AFileThatCannotBeWrittenIsReportedAndKeptAsItWas. Here the file itself stays
// writable in a folder that is not: the record is written in place, so nothing needs the folder.
TEST(SettingsFileDrill, AWritableFileInAReadOnlyFolderIsSavedInPlace) {
    const UnprivilegedHelper helper(VELTARA_SETTINGS_HELPER);
    ASSERT_EQ(helper.problem(), "");
    TempDir dir;
    const fs::path file = dir / "quorvel.ini";
    writeBytes(file, slotBytes(savedRecord()));
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0555), 0);

    const HelperRun run = runHelper(helper.command({dir.path().string(), "flip"}), kHang);
    ASSERT_TRUE(run.finished) << run.output;
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.lines(), (Texts{"COM\t2", "closing", "closed"})) << run.output;
    ASSERT_EQ(readBytes(file).size(), kSettingsSlotSize);
    EXPECT_EQ(decodeSettingsRecord(readBytes(file)).COM, 1) << "the changed settings were not saved";
}

// A small file system of its own that a drill fills up; unmounted again whatever happens.
class SmallDisk {
public:
    explicit SmallDisk(const fs::path& at) : m_path(at) {
        fs::create_directory(at);
        m_mounted = ::mount("tmpfs", at.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=64k,mode=0700") == 0;
    }
    ~SmallDisk() {
        if (m_mounted) {
            ::umount2(m_path.c_str(), MNT_DETACH);
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool mounted() const { return m_mounted; }
    // Writes a file until the disk refuses more; true when it ended full.
    bool fill() const {
        std::ofstream filler(m_path / "filler", std::ios::binary);
        const std::vector<char> block(4096, 'x');
        for (int i = 0; i < 1024 && filler.write(block.data(), block.size()).flush(); ++i) {
        }
        return !filler;
    }

private:
    fs::path m_path;
    bool m_mounted = false;
};

// A link to /dev/full: Startup.AFullDiskIsReportedAtShutdown. Here a real file system runs full
// between start-up and shutdown.
TEST(SettingsFileDrill, ADiskThatRunsFullBeforeShutdownFailsOnlyARecordThatNeedsNewSpace) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to mount a small file system";
    }
    struct Case {
        const char* name;
        bool recordThere;
        Texts unload;
        std::size_t sizeAfter;
    };
    const Case cases[] = {
        // The record's first save needs a block, and there is none.
        {"first save", false, {"cannot be written: No space left on device."}, 0},
        // Written in place over its old bytes, the record needs no new space.
        {"record already there", true, {}, kSettingsSlotSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        SmallDisk disk(dir / "disk");
        if (!disk.mounted()) {
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
        }
        ScopedCurrentDirectory cwd(dir / "disk");
        const fs::path file = dir / "disk" / "quorvel.ini";
        if (c.recordThere) {
            writeBytes(file, slotBytes(savedRecord()));
        }
        {
            HeadlessSession s;
            s.start();
            EXPECT_TRUE(s.messages.shown.empty()) << s.messages.shown[0].text;
            s.dialog.txtPeriodmsCount.setText("777");
            ASSERT_TRUE(disk.fill());
            s.close();
            ASSERT_EQ(s.messages.shown.size(), c.unload.size());
            for (std::size_t i = 0; i < c.unload.size(); ++i) {
                EXPECT_EQ(s.messages.shown[i].text, "The settings were not saved: the settings file \"" +
                                                        file.string() + "\" " + c.unload[i]);
                EXPECT_EQ(s.messages.shown[i].title, "Veltara");
            }
            EXPECT_EQ(fs::file_size(file), c.sizeAfter);
        }
        // The next start, still on the full disk, reads what is there without a word.
        HeadlessSession next;
        next.start();
        EXPECT_TRUE(next.messages.shown.empty()) << next.messages.shown[0].text;
        EXPECT_EQ(next.dialog.txtPeriodmsCount.text(), c.recordThere ? "777     " : "300     ");
    }
}

// Shutdown killed at random moments around its write, many times over: every start finds either
// the record from before that run or the one it was saving, whole, and starts from it quietly.
TEST(SettingsFileDrill, KilledWhileSavingLeavesTheOldOrTheNewRecordWhole) {
    TempDir dir;
    const fs::path file = dir / "quorvel.ini";
    auto runHelperOnce = [&](std::chrono::microseconds killAfter, bool kill) {
        Child child({VELTARA_SETTINGS_HELPER, dir.path().string(), "flip"});
        EXPECT_TRUE(child.started());
        const bool closing = child.waitForLine("closing", kHang);
        if (closing && kill) {
            const auto until = std::chrono::steady_clock::now() + killAfter;
            while (std::chrono::steady_clock::now() < until) {
            }
            child.kill();
        }
        EXPECT_TRUE(child.finish(kHang)) << "the program hung:\n" << child.output();
        EXPECT_TRUE(closing) << child.output();
        // The next start is this run's own start-up: it never shows a message.
        EXPECT_EQ(child.output().rfind("COM\t", 0), 0u) << child.output();
        return child.signal() == SIGKILL;
    };

    // Both records as the program writes them, from two whole runs.
    writeBytes(file, slotBytes(savedRecord()));
    runHelperOnce({}, false);
    const Bytes other = readBytes(file);
    runHelperOnce({}, false);
    const Bytes saved = readBytes(file);
    ASSERT_EQ(saved, slotBytes(savedRecord()));
    ASSERT_EQ(other.size(), kSettingsSlotSize);
    ASSERT_NE(other, saved);

    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> delayUs(0, 3000);
    int keptOld = 0;
    int tookNew = 0;
    int killed = 0;
    for (int i = 0; i < 120; ++i) {
        if (i % 10 == 0) {
            writeBytes(file, {});  // the first save, as after a start that ended without closing
        }
        const Bytes before = readBytes(file);
        const Bytes expectedNew = before == saved ? other : saved;
        killed += runHelperOnce(std::chrono::microseconds(delayUs(random)), true) ? 1 : 0;
        const Bytes after = readBytes(file);
        ASSERT_TRUE(after == before || after == expectedNew) << "run " << i << ": a mixed record";
        (after == before ? keptOld : tookNew) += 1;
    }
    std::printf("[ drill    ] 120 runs, %d killed: %d kept the old record, %d wrote the new one\n", killed,
                keptOld, tookNew);
}

}  // namespace
}  // namespace veltara::test
