// Crash recovery in a private state folder: where and how copies are kept, when
// they are written and removed, and what a start makes of the copies it finds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "edit/file_commands.h"
#include "edit/insert.h"
#include "edit/quillmap_commands.h"
#include "edit/recovery.h"
#include "edit/undo.h"
#include "interact/pointer.h"
#include "io/atomic_file.h"
#include "io/document_io.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::TestEditor;

class RecoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        state = fs::temp_directory_path() / ("qm recovery " + std::to_string(::getpid()));
        fs::remove_all(state);
        ::setenv("XDG_STATE_HOME", state.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_STATE_HOME");
        fs::remove_all(state);
    }

    static void draw(TestEditor& t, float x) {
        insertShape(t.ed, ShapeStyle::Rectangle);
        canvasMove(t.ed, 0, 0, x, 2000);
        canvasPress(t.ed, 1, 0, x, 2000);
        canvasRelease(t.ed, 1, 0, x, 2000);
    }
    static std::string saveBytes(const Document& d) { return encodeDocument(d, Layout::Quillmap).value(); }
    static int mode(const fs::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    }
    static ino_t inode(const fs::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
    }
    static std::string copied(const Recovery& r) {
        return decodeRecoveryCopy(readWholeFile(r.store().copyPath().native()).value(), Layout::Quillmap)
            ->document;
    }
    static std::optional<Recovery> start(TestEditor& t) { return Recovery::start(t.ed, "quillmap", Layout::Quillmap); }

    fs::path state;
    Recovery::Clock::time_point t0{};
};

TEST_F(RecoveryTest, CopiesAreWrittenAtRestAtMostOnceAnIntervalAndGoWhenNothingIsUnsaved) {
    ::setenv("QUILLMAP_AUTOSAVE_SECONDS", "7", 1);
    EXPECT_EQ(recoveryInterval(), 7s);
    ::setenv("QUILLMAP_AUTOSAVE_SECONDS", "soon", 1);
    EXPECT_EQ(recoveryInterval(), 30s);
    ::unsetenv("QUILLMAP_AUTOSAVE_SECONDS");

    TestEditor t;
    std::optional<Recovery> r = start(t);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->store().folder(), state / "quillmap" / "recovery");
    EXPECT_EQ(mode(r->store().folder()), 0700);
    EXPECT_EQ(mode(state / "quillmap"), 0700);
    r->update(t.ed, t0);
    EXPECT_FALSE(fs::exists(r->store().copyPath())) << "nothing unsaved, no copy";

    insertShape(t.ed, ShapeStyle::Rectangle);  // follows the pointer: not at rest
    r->update(t.ed, t0);
    EXPECT_FALSE(fs::exists(r->store().copyPath()));
    canvasPress(t.ed, 1, 0, 3000, 2000);
    canvasRelease(t.ed, 1, 0, 3000, 2000);
    r->update(t.ed, t0);
    EXPECT_EQ(mode(r->store().copyPath()), 0600);
    EXPECT_EQ(copied(*r), saveBytes(t.doc));

    const std::string first = saveBytes(t.doc);
    draw(t, 6000);
    r->update(t.ed, t0 + 29s);
    EXPECT_EQ(copied(*r), first) << "within the interval";
    r->update(t.ed, t0 + 30s);
    EXPECT_EQ(copied(*r), saveBytes(t.doc));
    const ino_t written = inode(r->store().copyPath());
    r->update(t.ed, t0 + 90s);
    EXPECT_EQ(inode(r->store().copyPath()), written) << "nothing new: not written again";

    t.doc.setModified(false);  // saved, or No to a save question
    r->update(t.ed, t0 + 31s);
    EXPECT_FALSE(fs::exists(r->store().copyPath()));
}

TEST_F(RecoveryTest, ACopyWhoseProgramDiedIsOfferedAndOpensChangedUnderItsFilesName) {
    const std::string userFile = (state / "流程.QMP").string();
    std::string drawn;
    {
        TestEditor died;
        std::optional<Recovery> r = start(died);
        draw(died, 3000);
        died.doc.fileName = userFile;
        r->update(died.ed, t0);
        drawn = saveBytes(died.doc);
    }  // killed: the copy stays, its lock is free
    TestEditor running;
    std::optional<Recovery> busy = start(running);
    draw(running, 9000);
    busy->update(running.ed, t0);  // a program still running keeps its copy to itself

    // What a killed write of a copy left, and a copy that a running program is
    // writing right now (it holds the temporary locked until the rename).
    const fs::path stale = busy->store().folder() / ".qm-0123456789abcdef-killed00.tmp",
                   live = busy->store().folder() / ".qm-0123456789abcdef-writing0.tmp";
    std::ofstream(stale) << "the first half of a drawing";
    const int writing = ::open(live.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(writing, LOCK_EX), 0);

    TestEditor next;
    startHistory(next.ed, Layout::Quillmap);
    std::optional<Recovery> r = start(next);
    next.host.answers = {Answer::Yes};
    ASSERT_TRUE(r->offerOrphans(next.ed));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(live));
    ::close(writing);
    settle(next.ed);  // as after every event
    ASSERT_EQ(next.host.asked.size(), 1u);
    EXPECT_EQ(next.host.asked[0].title, "提示");
    EXPECT_EQ(next.host.asked[0].buttons, Buttons::YesNo);
    EXPECT_NE(next.host.asked[0].text.find("“" + userFile + "”"), std::string::npos);
    EXPECT_EQ(saveBytes(next.doc), drawn);
    EXPECT_EQ(next.doc.fileName, userFile);
    EXPECT_TRUE(next.doc.isModified());
    EXPECT_FALSE(canUndo(next.ed)) << "a history of its own";
    EXPECT_FALSE(fs::exists(userFile)) << "recovery never writes the user's file";
    EXPECT_EQ(copied(*r), drawn) << "the copy is now this program's";

    TestEditor another;
    std::optional<Recovery> quiet = start(another);
    EXPECT_FALSE(quiet->offerOrphans(another.ed));
    EXPECT_TRUE(another.host.asked.empty()) << "every copy belongs to a running program";
}

TEST_F(RecoveryTest, ACopyKnowsItsFileWhereverTheProgramStartsAndWhatTheFileWas) {
    const fs::path home = fs::current_path(), first = state / "first", other = state / "other";
    fs::create_directories(first);
    fs::create_directories(other);
    const std::string userFile = (first / "rec.QMP").string();
    std::string drawn;
    {
        TestEditor died;
        ASSERT_TRUE(writeDocument(userFile, died.doc));
        fs::current_path(first);
        ASSERT_TRUE(openDocumentPath(died.ed, Layout::Quillmap, clearDocument, "./rec.QMP"));
        std::optional<Recovery> r = start(died);
        draw(died, 3000);
        r->update(died.ed, t0);
        drawn = saveBytes(died.doc);
        const RecoveryCopy copy =
            decodeRecoveryCopy(readWholeFile(r->store().copyPath().native()).value(), Layout::Quillmap).value();
        EXPECT_EQ(copy.documentPath, userFile);
        EXPECT_TRUE(copy.file.known());
    }
    // A colleague saves the file meanwhile; the program starts again elsewhere.
    ASSERT_TRUE(writeFileAtomically(userFile, "QMP theirs"));
    fs::current_path(other);
    TestEditor next;
    connectFileCommands(next.ed);
    startHistory(next.ed, Layout::Quillmap);
    std::optional<Recovery> r = start(next);
    next.host.answers = {Answer::Yes, Answer::Cancel};
    ASSERT_TRUE(r->offerOrphans(next.ed));
    ASSERT_EQ(next.host.asked.size(), 1u);
    EXPECT_NE(next.host.asked[0].text.find("已被其他程序或其他人修改"), std::string::npos) << next.host.asked[0].text;
    EXPECT_FALSE(fileSave(next.ed));
    ASSERT_EQ(next.host.asked.size(), 2u);
    EXPECT_EQ(next.host.asked[1].buttons, Buttons::YesSaveAsCancel);
    EXPECT_EQ(readWholeFile(userFile).value(), "QMP theirs");
    next.host.answers = {Answer::Yes};
    EXPECT_TRUE(fileSave(next.ed));
    EXPECT_EQ(readWholeFile(userFile).value(), drawn);
    EXPECT_TRUE(fs::is_empty(other)) << "no file of that name appears where the program started";

    // A copy from a version that did not record the file: offered, and saved
    // without a question as long as the file stays as it was at the offer.
    {
        TestEditor died;
        std::optional<Recovery> dead = start(died);
        draw(died, 5000);
        died.doc.fileName = userFile;
        dead->update(died.ed, t0);
        RecoveryCopy copy =
            decodeRecoveryCopy(readWholeFile(dead->store().copyPath().native()).value(), Layout::Quillmap).value();
        copy.file = {};
        ASSERT_TRUE(writeFileAtomically(dead->store().copyPath().native(), encodeRecoveryCopy(copy, Layout::Quillmap)));
    }
    TestEditor last;
    connectFileCommands(last.ed);
    std::optional<Recovery> again = start(last);
    last.host.answers = {Answer::Yes};
    ASSERT_TRUE(again->offerOrphans(last.ed));
    EXPECT_TRUE(fileSave(last.ed));
    EXPECT_EQ(last.host.asked.size(), 1u);
    fs::current_path(home);
}

TEST_F(RecoveryTest, NoDeletesACopyADismissedQuestionKeepsItAndADamagedOneIsSetAsideOnce) {
    const fs::path folder = state / "quillmap" / "recovery";
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms(0755));  // made by someone else: taken back
    for (int k = 0; k < 3; ++k) {
        TestEditor died;
        std::optional<Recovery> r = start(died);
        draw(died, 3000);
        r->update(died.ed, t0);
        if (k == 2) {  // one byte of the drawing changed: a damaged copy
            std::string bytes = readWholeFile(r->store().copyPath().native()).value();
            bytes[bytes.size() / 2] ^= 1;
            std::ofstream(folder / "damaged.copy", std::ios::binary) << bytes;
            fs::remove(r->store().copyPath());
        }
    }
    {
        TestEditor qmp;  // the other program's copy is foreign here
        std::optional<Recovery> r = Recovery::start(qmp.ed, "qmp", Layout::Qmp);
        draw(qmp, 3000);
        r->update(qmp.ed, t0);
        fs::copy_file(r->store().copyPath(), folder / "qmp.copy");
    }

    EXPECT_EQ(mode(folder), 0700);
    TestEditor t;
    std::optional<Recovery> r = start(t);
    t.host.answers = {Answer::Cancel, Answer::No};
    EXPECT_FALSE(r->offerOrphans(t.ed));
    ASSERT_EQ(t.host.asked.size(), 3u);
    EXPECT_NE(t.host.asked[0].text.find("“未命名”"), std::string::npos);
    EXPECT_NE(t.host.asked[2].text.find("damaged.damaged"), std::string::npos);
    EXPECT_NE(t.host.asked[2].text.find("qmp.damaged"), std::string::npos);
    EXPECT_EQ(t.doc.labelCount, 8) << "the new drawing stays";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 5) << "two copies and a lock, two set aside";
    r.reset();

    TestEditor again;
    std::optional<Recovery> r2 = start(again);
    again.host.answers = {Answer::No};
    EXPECT_FALSE(r2->offerOrphans(again.ed));
    EXPECT_EQ(again.host.asked.size(), 1u) << "only the copy left by the dismissed question";
    r2.reset();
    TestEditor last;
    EXPECT_FALSE(start(last)->offerOrphans(last.ed));
    EXPECT_TRUE(last.host.asked.empty());
}

}  // namespace
}  // namespace qm
