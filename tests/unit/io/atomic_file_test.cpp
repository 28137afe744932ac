#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "io/atomic_file.h"
#include "io/document_io.h"
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
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
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

TEST_F(Atomic, ReadingRefusesFilesTooLargeToBeDocuments) {
    const fs::path f = dir / "big.QMP";
    ASSERT_TRUE(writeFileAtomically(utf8(f), std::string(2000, 'x')).ok());
    auto r = readWholeFile(utf8(f), 1000);
    ASSERT_FALSE(r.ok());
    EXPECT_NE(r.error().message.find("larger than 1000"), std::string::npos);
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
