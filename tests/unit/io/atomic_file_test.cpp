#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "io/atomic_file.h"
#include "io/document_io.h"
#include "io/file_identity.h"
#include "unit/io/sample_documents.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

class Atomic : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("qm-io-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string utf8(const fs::path& p) const {
        const std::u8string s = p.u8string();
        return std::string(s.begin(), s.end());
    }
    std::string slurp(const fs::path& p) const {
        std::ifstream in(p, std::ios::binary | std::ios::ate);
        std::string s(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 0)), '\0');
        in.seekg(0);
        in.read(s.data(), static_cast<std::streamsize>(s.size()));
        return s;
    }
    static ino_t ino(const fs::path& p) {
        struct stat st {};
        return ::stat(p.c_str(), &st) == 0 ? st.st_ino : 0;
    }
    // Files in the folder other than the ones named: leftover temporaries.
    size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir), {})); }

    fs::path dir;
};

TEST_F(Atomic, ReplacesTheFileAndLeavesNothingElse) {
    const fs::path f = dir / "a.QMP";
    ASSERT_TRUE(writeFileAtomically(utf8(f), "first").ok());
    ::chmod(f.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(utf8(f), "second").ok());
    EXPECT_EQ(slurp(f), "second");
    EXPECT_EQ(entries(), 1u);
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "an existing document keeps its permissions";
    auto back = readWholeFile(utf8(f));
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(*back, "second");
}

// Only the order of these calls makes a save outlive a power cut: the data
// reaches the disk before the new name does, and the folder's new entry after it.
TEST_F(Atomic, TheDataReachesTheDiskBeforeTheRenameAndTheFolderAfterIt) {
    struct Recorder : DiskCalls {
        static std::string inode(int fd) {
            struct stat st {};
            return ::fstat(fd, &st) == 0 ? std::to_string(st.st_ino) : "?";
        }
        void note(const std::string& call) {
            if (calls.empty() || calls.back() != call) calls.push_back(call);  // one write may take several
        }
        std::ptrdiff_t write(int fd, const void* data, std::size_t size) override {
            note("write " + inode(fd));
            return DiskCalls::write(fd, data, size);
        }
        int fsync(int fd) override {
            note("fsync " + inode(fd));
            return DiskCalls::fsync(fd);
        }
        int rename(const char* from, const char* to) override {
            struct stat st {};
            ::lstat(from, &st);
            note("rename " + std::to_string(st.st_ino) + " to " + fs::path(to).filename().string());
            return DiskCalls::rename(from, to);
        }
        std::vector<std::string> calls;
    } recorder;
    const fs::path f = dir / "a.QMP";
    ASSERT_TRUE(writeFileAtomically(utf8(f), "old").ok());
    setDiskCalls(&recorder);
    const Status s = writeFileAtomically(utf8(f), std::string(1 << 20, 'n'));
    setDiskCalls(nullptr);
    ASSERT_TRUE(s.ok()) << s.error().message;
    const std::string file = std::to_string(ino(f));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"write " + file, "fsync " + file, "rename " + file + " to a.QMP",
                                                        "fsync " + std::to_string(ino(dir))}));
}

TEST_F(Atomic, AFailedSaveLeavesTheOldFileAndNoTemporary) {
    const fs::path f = dir / "old.QMP";
    ASSERT_TRUE(writeFileAtomically(utf8(f), std::string(100, 'o')).ok());

    // The disk fills up part-way: simulated by a file size limit of 512 bytes.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 512;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status s = writeFileAtomically(utf8(f), std::string(4096, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);

    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.error().message.find(utf8(f)), std::string::npos) << s.error().message;
    EXPECT_NE(s.error().message.find("File too large"), std::string::npos) << s.error().message;
    EXPECT_EQ(slurp(f), std::string(100, 'o'));
    EXPECT_EQ(entries(), 1u) << "the temporary file is removed";
}

TEST_F(Atomic, TargetIsAFolderOrInAMissingFolder) {
    const fs::path sub = dir / "folder.QMP";
    fs::create_directory(sub);
    const Status s = writeFileAtomically(utf8(sub), "x");
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.error().message.find("Is a directory"), std::string::npos) << s.error().message;
    EXPECT_TRUE(fs::is_directory(sub));
    EXPECT_EQ(entries(), 1u);

    const Status m = writeFileAtomically(utf8(dir / "no such folder" / "x.QMP"), "x");
    ASSERT_FALSE(m.ok());
    EXPECT_NE(m.error().message.find("No such file or directory"), std::string::npos);

    auto r = readWholeFile(utf8(dir / "missing.QMP"));
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("missing.QMP"), std::string::npos);
    EXPECT_FALSE(readWholeFile(utf8(sub)).ok());
}

TEST_F(Atomic, SymbolicLinksSurviveASave) {
    const fs::path real = dir / "real.QMP", link = dir / "link.QMP";
    ASSERT_TRUE(writeFileAtomically(utf8(real), "1").ok());
    fs::create_symlink(real, link);
    ASSERT_TRUE(writeFileAtomically(utf8(link), "2").ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(slurp(real), "2");
}

// Each of these was once replaced by a regular file, and the save reported success.
TEST_F(Atomic, RefusesTargetsThatAreNoWritableRegularFile) {
    auto refused = [&](const fs::path& target, const std::string& reason) {
        const Status s = writeFileAtomically(utf8(target), "new");
        ASSERT_FALSE(s.ok()) << target;
        EXPECT_NE(s.error().message.find(reason), std::string::npos) << s.error().message;
    };
    const fs::path dangling = dir / "dangling.QMP", loop = dir / "loop.QMP";
    fs::create_symlink(dir / "gone.QMP", dangling);
    fs::create_symlink(loop, loop);
    refused(dangling, "symbolic link to \"" + utf8(dir / "gone.QMP") + "\", which does not exist");
    refused(loop, "Too many levels of symbolic links");
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_TRUE(fs::is_symlink(loop));

    const fs::path fifo = dir / "fifo.QMP", socket = dir / "socket.QMP";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socket.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    refused(fifo, "not a regular file");
    refused(socket, "not a regular file");
    ::close(sock);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_socket(socket));

    // Read-only for everyone, root included, whom the system would let write it.
    const fs::path readOnly = dir / "read-only.QMP";
    ASSERT_TRUE(writeFileAtomically(utf8(readOnly), "old").ok());
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    refused(readOnly, "the file is read-only");
    EXPECT_EQ(slurp(readOnly), "old");
    EXPECT_EQ(entries(), 5u) << "no temporary is left";
}

TEST_F(Atomic, AnotherUsersFileKeepsItsOwnerGroupAndMode) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
    const fs::path f = dir / "shared.QMP";
    ASSERT_TRUE(writeFileAtomically(utf8(f), "theirs").ok());
    ASSERT_EQ(::chown(f.c_str(), 4242, 4343), 0);
    ASSERT_EQ(::chmod(f.c_str(), 0664), 0);
    const mode_t umask = ::umask(077);
    const Status s = writeFileAtomically(utf8(f), "edited by root");
    ::umask(umask);
    ASSERT_TRUE(s.ok()) << s.error().message;
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4343u);
    EXPECT_EQ(st.st_mode & 07777, 0664u);
}

TEST_F(Atomic, TheLongestNameTheFileSystemTakesCanBeSavedAgain) {
    std::string name;
    for (int k = 0; k < 85; ++k) name += "流";  // 255 bytes
    const fs::path f = pathFromUtf8(utf8(dir) + "/" + name);
    ASSERT_TRUE(writeFileAtomically(utf8(f), "1").ok());
    const Status s = writeFileAtomically(utf8(f), "2");
    ASSERT_TRUE(s.ok()) << s.error().message;
    EXPECT_EQ(slurp(f), "2");
}

// A child saves a large document over and over and is killed at a random moment:
// the target is always one whole version, and the next save removes what the
// killed ones left, but never the temporary of a save that is still running.
TEST_F(Atomic, KilledSavesLeaveOneWholeVersionAndTheNextSaveTidiesUp) {
    const fs::path f = dir / "large.QMP";
    std::string a(4 << 20, 'a'), b(4 << 20, 'b');
    a.back() = b.front() = '!';
    auto saveForever = [&] {
        for (int k = 0;; ++k) (void)writeFileAtomically(utf8(f), k % 2 ? a : b);
    };
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(writeFileAtomically(utf8(f), a).ok());
    const auto oneSave = std::chrono::steady_clock::now() - started;

    std::mt19937 gen(::testing::UnitTest::GetInstance()->random_seed());
    std::uniform_int_distribution<int64_t> delay(0, 3 * std::chrono::duration_cast<std::chrono::microseconds>(oneSave).count());
    size_t leftovers = 0;
    for (int round = 0; round < 30; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) saveForever();
        std::this_thread::sleep_for(std::chrono::microseconds(delay(gen)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = slurp(f);
        ASSERT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes";
        leftovers += entries() - 1;
    }
    EXPECT_GT(leftovers, 0u) << "no kill landed inside a save";

    // Two saves at once, each tidying up after itself: neither loses its temporary.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int failed = 0;
        for (int k = 0; k < 10; ++k) failed += !writeFileAtomically(utf8(f), b).ok();
        ::_exit(failed);
    }
    int failed = 0;
    for (int k = 0; k < 10; ++k) failed += !writeFileAtomically(utf8(f), a).ok();
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(failed, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the other save failed " << WEXITSTATUS(status) << " times";
    EXPECT_EQ(entries(), 1u) << "temporaries left";
}

TEST_F(Atomic, AFileIsKnownAgainUntilSomeoneElseChangesOrRemovesIt) {
    const std::string p = utf8(dir / "a.QMP");
    ASSERT_TRUE(writeFileAtomically(p, "one"));
    const FileIdentity written = writtenIdentity(p, "one");
    EXPECT_EQ(checkFile(written).change, FileChange::None);
    Result<IdentifiedFile> read = readIdentifiedFile(p);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->identity, written);

    // Touched, or written again with the same bytes: still the same drawing.
    fs::last_write_time(p, fs::last_write_time(p) + std::chrono::hours(1));
    EXPECT_EQ(checkFile(written).change, FileChange::None);
    ASSERT_TRUE(writeFileAtomically(p, "one"));
    EXPECT_EQ(checkFile(written).change, FileChange::None);

    // The same size and time, other bytes, as an editor that keeps the time writes them.
    const auto time = fs::last_write_time(p);
    { std::ofstream(p, std::ios::binary) << "two"; }
    fs::last_write_time(p, time);
    const FileCheck changed = checkFile(written);
    EXPECT_EQ(changed.change, FileChange::Changed);
    EXPECT_NE(changed.changedAt, 0);

    fs::remove(p);
    EXPECT_EQ(checkFile(written).change, FileChange::Removed);
    fs::create_directory(p);
    EXPECT_EQ(checkFile(written).change, FileChange::Unreadable);
    fs::remove(p);

    // A file that was missing is changed once someone creates it.
    const FileIdentity missing = currentIdentity(p);
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(checkFile(missing).change, FileChange::None);
    ASSERT_TRUE(writeFileAtomically(p, ""));
    EXPECT_EQ(checkFile(missing).change, FileChange::Changed);
}

TEST_F(Atomic, ReadingRefusesWhatCannotBeADocumentBeforeReadingIt) {
    const fs::path f = dir / "big.QMP";
    ASSERT_TRUE(writeFileAtomically(utf8(f), std::string(2000, 'x')).ok());
    auto r = readWholeFile(utf8(f), 1000);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("is 2000 bytes, larger than 1000"), std::string::npos) << r.error().message;

    // Sparse: what was read of it would be zeros, a gigabyte of them.
    const fs::path huge = dir / "huge.QMP";
    { std::ofstream{huge}; }
    fs::resize_file(huge, kMaxReadSize + 1);
    r = readWholeFile(utf8(huge));
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("is " + std::to_string(kMaxReadSize + 1) + " bytes"), std::string::npos)
        << r.error().message;

    r = readWholeFile("/dev/zero");
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("not a regular file"), std::string::npos) << r.error().message;

    // A FIFO no one writes to: opening it must not wait. Should it wait, a writer
    // comes after two seconds, and the read ends with nothing.
    const fs::path fifo = dir / "fifo.QMP";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    std::atomic<bool> returned = false, writerCame = false;
    std::thread writer([&] {
        for (int k = 0; k < 200 && !returned; ++k) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (returned) return;
        writerCame = true;
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    });
    r = readWholeFile(utf8(fifo));
    returned = true;
    writer.join();
    EXPECT_FALSE(writerCame) << "opening the FIFO waited for a writer";
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("not a regular file"), std::string::npos) << r.error().message;
}

TEST_F(Atomic, DocumentsUnderAChinesePathWithSpaces) {
    test::TestEditor t;
    test::addEveryKind(t.doc, t.metrics);
    const std::string folder = utf8(dir) + "/我的 流程图";
    fs::create_directory(pathFromUtf8(folder));
    const std::string path = folder + "/审批 流程 1.QMP";
    ASSERT_TRUE(writeDocument(path, t.doc).ok());
    EXPECT_TRUE(fs::exists(pathFromUtf8(path)));
    auto back = readDocument(path, t.metrics);
    ASSERT_TRUE(back.ok()) << back.error().describe();
    EXPECT_EQ(back->Label.find(15)->caption, "完成 😀 𠀀");
    EXPECT_EQ(*encodeDocument(*back, Layout::Quillmap), slurp(pathFromUtf8(path)));

    const std::string reduced = folder + "/简版 图.QMP";
    Document small;
    test::addEveryReducedKind(small, t.metrics);
    ASSERT_TRUE(writeQmpDocument(reduced, small).ok());
    EXPECT_TRUE(readQmpDocument(reduced, t.metrics).ok());
    auto wrong = readDocument(reduced, t.metrics);
    ASSERT_FALSE(wrong.ok());
    EXPECT_EQ(wrong.error().offset, 0u);
    EXPECT_FALSE(readQmpDocument(path, t.metrics).ok());
}

TEST_F(Atomic, ADocumentThatCannotBeEncodedWritesNothing) {
    test::TestEditor t;
    const std::string path = utf8(dir / "keep.QMP");
    ASSERT_TRUE(writeDocument(path, t.doc).ok());
    const std::string before = slurp(pathFromUtf8(path));
    t.doc.Label.find(1)->left = 1e6f;
    const Status s = writeDocument(path, t.doc);
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.error().message.find("keep.QMP"), std::string::npos);
    EXPECT_NE(s.error().message.find("label 1: left"), std::string::npos) << s.error().message;
    EXPECT_EQ(slurp(pathFromUtf8(path)), before);
    EXPECT_EQ(entries(), 1u);
}

}  // namespace
}  // namespace qm
