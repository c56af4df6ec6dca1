// The settings file where others reach it: a link planted in a shared folder, a second window.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <optional>

#include "helperprogram.h"
#include "session.h"

namespace veltara::test {
namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

// The kernel's protected-symlinks rule: in a sticky folder everyone may write to, a link owned by neither
// the folder's owner (root here) nor the user is not followed, and nothing is written where it points.
TEST(SharedFolder, ALinkPlantedByAnotherUserIsNotFollowed) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "planting a link as another user needs root";
    }
    constexpr uid_t kRoot = 0, kDaemon = 1, kNobody = 65534;
    struct Case {
        mode_t folderMode;
        uid_t linkOwner;
        bool asNobody, targetExists, followed;
    };
    const Case cases[] = {
        {.folderMode = 01777,
         .linkOwner = kNobody,
         .asNobody = false,
         .targetExists = true,
         .followed = false},
        {.folderMode = 01777,
         .linkOwner = kNobody,
         .asNobody = false,
         .targetExists = false,
         .followed = false},
        {.folderMode = 01777, .linkOwner = kRoot, .asNobody = false, .targetExists = true, .followed = true},
        {.folderMode = 0777, .linkOwner = kNobody, .asNobody = false, .targetExists = true, .followed = true},
        {.folderMode = 01775,
         .linkOwner = kNobody,
         .asNobody = false,
         .targetExists = true,
         .followed = true},
        {.folderMode = 01777,
         .linkOwner = kDaemon,
         .asNobody = true,
         .targetExists = true,
         .followed = false},
        {.folderMode = 01777, .linkOwner = kRoot, .asNobody = true, .targetExists = true, .followed = true},
        {.folderMode = 01777,
         .linkOwner = kNobody,
         .asNobody = true,
         .targetExists = false,
         .followed = true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        TempDir shared, elsewhere;
        const fs::path target = elsewhere / "target";
        if (c.targetExists) {
            writeBytes(target, std::vector<std::uint8_t>(300, 0x5A));
        }
        ASSERT_EQ(::chmod(elsewhere.path().c_str(), 0777) | ::chmod(shared.path().c_str(), c.folderMode), 0);
        fs::create_symlink(target, shared / "quorvel.ini");
        ASSERT_EQ(::lchown((shared / "quorvel.ini").c_str(), c.linkOwner, c.linkOwner), 0);
        if (c.targetExists) {
            ASSERT_EQ(::chmod(target.c_str(), 0666), 0);
        }
        ScopedCurrentDirectory cwd(shared.path());
        std::optional<ScopedUnprivileged> nobody;
        if (c.asNobody) {
            ASSERT_TRUE(nobody.emplace().problem().empty()) << nobody->problem();
        }
        HeadlessSession s;
        s.start();
        const Texts load = s.messages.texts();
        s.messages.clear();
        s.close();
        EXPECT_EQ(load.empty(), c.followed);
        EXPECT_EQ(s.messages.shown.empty(), c.followed);
        EXPECT_EQ(fs::exists(target) ? fs::file_size(target) : 0, c.targetExists ? 300u
                                                                  : c.followed   ? 246u
                                                                                 : 0);
        if (!c.followed) {
            ASSERT_FALSE(load.empty());
            EXPECT_NE(load[0].find("\"" + (shared / "quorvel.ini").string() +
                                   "\" cannot be opened: it is a "
                                   "symbolic link that another user owns"),
                      std::string::npos)
                << load[0];
            EXPECT_EQ(s.messages.texts()[0].rfind("The settings were not saved", 0), 0u);
        }
    }
}

// Two windows on one file, the second maybe another user's: it says so once at start-up and never writes,
// whichever closes first; once both are closed the file is free again.
TEST(SecondWindow, SaysOnceThatItsChangesWillNotBeSavedAndNeverWrites) {
    const std::vector<std::uint8_t> saved = slotBytes(savedRecord());
    for (const bool firstClosesFirst : {false, true}) {
        for (const bool asNobody : {false, ::geteuid() == 0}) {
            SCOPED_TRACE(::testing::Message() << firstClosesFirst << asNobody);
            TempDir dir;
            ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
            writeBytes(dir / "quorvel.ini", saved);
            ASSERT_EQ(::chmod((dir / "quorvel.ini").c_str(), 0666), 0);
            ScopedCurrentDirectory cwd(dir.path());
            auto first = std::make_unique<HeadlessSession>();
            first->start();
            std::optional<ScopedUnprivileged> nobody;
            if (asNobody) {
                ASSERT_TRUE(nobody.emplace().problem().empty()) << nobody->problem();
            }
            HeadlessSession second;
            second.start();
            EXPECT_TRUE(first->messages.shown.empty());
            ASSERT_EQ(second.messages.texts().size(), 1u);
            EXPECT_NE(second.messages.texts()[0].find("is used by another window: the changes made in this "
                                                      "window will not be saved"),
                      std::string::npos);
            second.messages.clear();
            flipSettings(second.dialog);
            auto closeFirst = [&first] {
                if (first) {
                    first->close();
                    first.reset();
                }
            };
            if (firstClosesFirst) {
                closeFirst();
            }
            second.close();
            EXPECT_TRUE(second.messages.shown.empty());
            EXPECT_EQ(readBytes(dir / "quorvel.ini"), saved);
            closeFirst();
            HeadlessSession later;
            later.start();
            EXPECT_TRUE(later.messages.shown.empty());
        }
    }
}

}  // namespace
}  // namespace veltara::test
