// The settings file where others can reach it: a link planted in a shared folder, a second window.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// As the kernel's protected-symlinks rule: in a sticky folder everyone may write to, a link owned by
// neither the folder's owner nor the user is not followed, and nothing is written where it points.
TEST(SharedFolder, ALinkPlantedByAnotherUserIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "planting a link as another user needs root";
    }
    constexpr uid_t kOther = 65534;
    struct Case {
        const char* name;
        mode_t folderMode;
        uid_t linkOwner;
        bool targetExists;
        bool followed;
    };
    const Case cases[] = {
        {"another user's link in a sticky shared folder", 01777, kOther, true, false},
        {"another user's dangling link there", 01777, kOther, false, false},
        {"the folder owner's link there", 01777, 0, true, true},
        {"another user's link in a folder without the sticky bit", 0777, kOther, true, true},
        {"another user's link in a sticky folder only its owner writes", 01755, kOther, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir shared;
        TempDir elsewhere;
        const fs::path target = elsewhere / "root-only";
        const Bytes secret(300, 0x5A);
        if (c.targetExists) {
            writeBytes(target, secret);
        }
        fs::create_symlink(target, shared / "quorvel.ini");
        ASSERT_EQ(::lchown((shared / "quorvel.ini").c_str(), c.linkOwner, c.linkOwner), 0);
        ASSERT_EQ(::chmod(shared.path().c_str(), c.folderMode), 0);
        ScopedCurrentDirectory cwd(shared.path());
        HeadlessSession s;
        s.start();
        const std::vector<std::string> load = s.messages.texts();
        s.messages.clear();
        s.close();
        const std::vector<std::string> unload = s.messages.texts();
        if (c.followed) {
            EXPECT_TRUE(load.empty()) << load[0];
            EXPECT_TRUE(unload.empty()) << unload[0];
            EXPECT_EQ(fs::file_size(target), c.targetExists ? 300u : 246u);
            continue;
        }
        ASSERT_FALSE(load.empty());
        EXPECT_TRUE(contains(load[0], (shared / "quorvel.ini").string())) << load[0];
        EXPECT_TRUE(contains(load[0], "symbolic link that another user owns")) << load[0];
        ASSERT_EQ(unload.size(), 1u);
        EXPECT_TRUE(contains(unload[0], "The settings were not saved")) << unload[0];
        EXPECT_EQ(c.targetExists ? readBytes(target) : Bytes{}, c.targetExists ? secret : Bytes{});
        EXPECT_EQ(fs::exists(target), c.targetExists);
        EXPECT_TRUE(fs::is_symlink(shared / "quorvel.ini"));
    }
}

// Two windows on one file: the second says so once at start-up and never writes, whichever closes first.
TEST(SecondWindow, SaysOnceThatItsChangesWillNotBeSavedAndNeverWrites) {
    for (const bool firstClosesFirst : {false, true}) {
        SCOPED_TRACE(firstClosesFirst ? "first window closes first" : "second window closes first");
        TempDir dir;
        ScopedCurrentDirectory cwd(dir.path());
        writeBytes(dir / "quorvel.ini", slotBytes(savedRecord()));
        auto first = std::make_unique<HeadlessSession>();
        first->start();
        HeadlessSession second;
        second.start();
        EXPECT_TRUE(first->messages.shown.empty());
        ASSERT_EQ(second.messages.texts().size(), 1u);
        EXPECT_TRUE(contains(second.messages.texts()[0], "is used by another window"))
            << second.messages.texts()[0];
        EXPECT_TRUE(contains(second.messages.texts()[0], "will not be saved")) << second.messages.texts()[0];
        second.messages.clear();
        flipSettings(second.dialog);
        if (firstClosesFirst) {
            first->close();
            first.reset();
        }
        second.close();
        EXPECT_TRUE(second.messages.shown.empty()) << second.messages.texts()[0];
        EXPECT_EQ(readBytes(dir / "quorvel.ini"), slotBytes(savedRecord()));
        if (first) {
            first->close();
        }

        // Once both are closed the file is free again.
        HeadlessSession later;
        later.start();
        EXPECT_TRUE(later.messages.shown.empty());
    }
}

}  // namespace
}  // namespace veltara::test
