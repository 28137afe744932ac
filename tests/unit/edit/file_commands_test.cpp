#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "edit/file_commands.h"
#include "edit/insert.h"
#include "edit/quillmap_commands.h"
#include "interact/pointer.h"
#include "model/labels.h"
#include "model/sel_kind.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::TestEditor;

class FileCommands : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("qm file commands " + std::to_string(::getpid()));
        fs::create_directories(dir);
        connectFileCommands(t.ed);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const std::string& name) {
        const std::u8string u = (dir / fs::u8path(name)).u8string();
        return {u.begin(), u.end()};
    }
    static std::string contents(const std::string& p) {
        std::ifstream in(fs::u8path(p), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void drawSomething() {
        insertShape(t.ed, ShapeStyle::Rectangle);
        canvasMove(t.ed, 0, 0, 3000, 2000);
        canvasPress(t.ed, 1, 0, 3000, 2000);
        canvasRelease(t.ed, 1, 0, 3000, 2000);
        canvasClick(t.ed);
    }

    fs::path dir;
    TestEditor t;
};

TEST_F(FileCommands, SaveAsksForANameOnceAndClearsTheMarkOnlyWhenWritten) {
    drawSomething();
    ASSERT_EQ(t.doc.selKind, SelKind::Shape);
    t.host.dialogResults = {std::nullopt};
    EXPECT_FALSE(fileSave(t.ed));
    ASSERT_EQ(t.host.dialogs.size(), 1u);
    EXPECT_EQ(t.host.dialogs[0].fileName, "未命名.QMP");
    EXPECT_EQ(t.host.dialogs[0].filter, "QMP文件|*.QMP");
    EXPECT_EQ(t.host.dialogs[0].defaultExt, "QMP");
    EXPECT_EQ(t.doc.modified, -1);
    EXPECT_EQ(t.doc.fileName, "");

    const std::string p = path("流程 图.QMP");
    t.host.dialogResults = {p};
    EXPECT_TRUE(fileSave(t.ed));
    EXPECT_EQ(t.doc.fileName, p);
    EXPECT_EQ(t.doc.modified, 0);
    EXPECT_EQ(t.doc.selKind, SelKind::Shape) << "saving keeps the selection";
    EXPECT_EQ(contents(p).substr(0, 3), "QMP");

    t.doc.modified = -1;
    EXPECT_TRUE(fileSave(t.ed));
    EXPECT_EQ(t.host.dialogs.size(), 2u) << "a titled document is saved without a dialog";
}

TEST_F(FileCommands, AFailedWriteSaysSoKeepsTheMarkAndTheOldFile) {
    const std::string p = path("a.QMP");
    t.host.dialogResults = {p};
    ASSERT_TRUE(fileSave(t.ed));
    const std::string before = contents(p);
    drawSomething();
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    const bool canStillWrite = ::access(dir.c_str(), W_OK) == 0;  // root ignores permissions
    if (canStillWrite) {
        fs::permissions(dir, fs::perms::owner_all);
        fs::remove(p);
        fs::create_directory(p);  // a folder where the file should go
        t.host.answers = {Answer::Yes};  // write over what replaced the file
    }
    EXPECT_FALSE(fileSave(t.ed));
    EXPECT_EQ(t.doc.modified, -1);
    ASSERT_FALSE(t.host.asked.empty());
    EXPECT_EQ(t.host.asked.back().title, "错误");
    EXPECT_NE(t.host.asked.back().text.find(p), std::string::npos);
    fs::permissions(dir, fs::perms::owner_all);
    if (!canStillWrite) {
        EXPECT_EQ(contents(p), before);
    }
}

TEST_F(FileCommands, ASaveNeverWritesOverAVersionSomeoneElseSavedUnasked) {
    const std::string a = path("a.QMP"), b = path("b.QMP");
    t.host.dialogResults = {a};
    ASSERT_TRUE(fileSave(t.ed));
    drawSomething();
    t.doc.modified = -1;
    t.host.asked.clear();
    { std::ofstream(a, std::ios::binary) << "QMP theirs, longer"; }

    t.host.answers = {Answer::Cancel};
    EXPECT_FALSE(fileSave(t.ed));
    ASSERT_EQ(t.host.asked.size(), 1u);
    EXPECT_EQ(t.host.asked[0].buttons, Buttons::YesSaveAsCancel);
    EXPECT_NE(t.host.asked[0].text.find(a), std::string::npos);
    EXPECT_NE(t.host.asked[0].text.find(localTimeText(fs::file_time_type::clock::to_sys(fs::last_write_time(a))
                                                          .time_since_epoch() /
                                                      std::chrono::seconds(1))),
              std::string::npos)
        << t.host.asked[0].text;
    EXPECT_EQ(contents(a), "QMP theirs, longer");
    EXPECT_EQ(t.doc.modified, -1);

    // 另存为... goes to another name, which is not asked about; the other version stays.
    t.host.answers = {Answer::SaveAs};
    t.host.dialogResults = {b};
    EXPECT_TRUE(fileSave(t.ed));
    EXPECT_EQ(t.host.dialogs.back().fileName, a) << "the dialog proposes the drawing's own file";
    EXPECT_EQ(contents(a), "QMP theirs, longer");
    EXPECT_EQ(t.doc.fileName, b);
    EXPECT_EQ(t.host.asked.size(), 2u);

    fs::remove(b);
    t.doc.modified = -1;
    t.host.answers = {Answer::Yes};
    EXPECT_TRUE(fileSave(t.ed)) << "a removed file is asked about, then written";
    EXPECT_EQ(t.host.asked.size(), 3u);
    EXPECT_NE(t.host.asked[2].text.find("删除"), std::string::npos);
    EXPECT_EQ(contents(b).substr(0, 3), "QMP");
    t.doc.modified = -1;
    EXPECT_TRUE(fileSave(t.ed));
    EXPECT_EQ(t.host.asked.size(), 3u) << "the program's own save is not someone else's";
}

TEST_F(FileCommands, SaveAsSwitchesTheNameAndClearsTheChangedMark) {
    drawSomething();
    const std::string a = path("a.QMP"), b = path("b.QMP");
    t.host.dialogResults = {a, b};
    ASSERT_TRUE(fileSave(t.ed));
    t.doc.modified = -1;
    ASSERT_TRUE(fileSaveAs(t.ed));
    EXPECT_EQ(t.doc.fileName, b);
    EXPECT_EQ(t.doc.modified, 0) << "what the new file holds is what the drawing is";
    EXPECT_EQ(contents(a), contents(b));
}

TEST_F(FileCommands, OpenReplacesTheDrawingOnlyWithAValidFile) {
    drawSomething();
    setCaption(*t.doc.Label.find(2), "审批流程", t.metrics);
    const std::string p = path("chart.QMP");
    t.host.dialogResults = {p};
    ASSERT_TRUE(fileSave(t.ed));

    TestEditor other;
    connectFileCommands(other.ed);
    const std::string foreign = path("foreign.QMP");
    std::ofstream(fs::u8path(foreign), std::ios::binary) << std::string(40, '\1');
    other.doc.modified = -1;
    other.host.dialogResults = {foreign};
    EXPECT_FALSE(fileOpen(other.ed));
    ASSERT_EQ(other.host.asked.size(), 1u) << "no save question for a file that cannot be opened";
    EXPECT_EQ(other.host.asked[0].title, "错误");
    EXPECT_EQ(other.host.asked[0].text.rfind("文件格式错误或版本不兼容，文件无法打开：“" + foreign + "”。\n", 0), 0u)
        << other.host.asked[0].text;
    const std::string& told = other.host.asked[0].text;
    EXPECT_EQ(told.substr(told.find('\n') + 1), "这不是 Quillmap 的文档（第0字节）。") << "the reason in Chinese too";
    EXPECT_EQ(other.host.asked[0].icon, Icon::Stop);
    EXPECT_EQ(other.doc.modified, -1);

    // Yes to the clear question whose save is cancelled: the drawing stays.
    other.host.dialogResults = {p, std::nullopt};
    other.host.answers = {Answer::Yes};
    EXPECT_FALSE(fileOpen(other.ed));
    EXPECT_EQ(other.doc.shapeCount, 0);
    EXPECT_EQ(other.doc.fileName, "");

    other.host.dialogResults = {p};
    other.host.answers = {Answer::No};
    ASSERT_TRUE(fileOpen(other.ed));
    EXPECT_EQ(other.doc.fileName, p);
    EXPECT_EQ(other.doc.modified, 0);
    EXPECT_EQ(other.doc.shapeCount, 1);
    EXPECT_EQ(other.doc.Shape1.find(1)->left, 3000);
    EXPECT_EQ(other.doc.Label.find(2)->caption, "审批流程");
    EXPECT_EQ(other.doc.Label.templ().width, t.doc.Label.templ().width);
}

TEST_F(FileCommands, AFileNamedOnTheCommandLineOpensWithoutADialog) {
    drawSomething();
    const std::string p = path("命令行.QMP");
    t.host.dialogResults = {p};
    ASSERT_TRUE(fileSave(t.ed));
    TestEditor other;
    EXPECT_TRUE(openDocumentPath(other.ed, Layout::Quillmap, clearDocument, p));
    EXPECT_TRUE(other.host.dialogs.empty());
    EXPECT_EQ(other.doc.shapeCount, 1);
    EXPECT_EQ(other.doc.fileName, p);
    EXPECT_FALSE(openDocumentPath(other.ed, Layout::Quillmap, clearDocument, path("missing.QMP")));
    ASSERT_EQ(other.host.asked.size(), 1u);
    EXPECT_EQ(other.host.asked[0].title, "错误");
    EXPECT_NE(other.host.asked[0].text.find("missing.QMP"), std::string::npos);
    EXPECT_NE(other.host.asked[0].text.find("：文件或文件夹不存在。"), std::string::npos) << other.host.asked[0].text;
    EXPECT_EQ(other.doc.fileName, p);
}

TEST_F(FileCommands, CloseAsksOnlyForAChangedDocumentAndStaysUnlessSaved) {
    EXPECT_TRUE(closeRequest(t.ed));
    EXPECT_TRUE(t.host.asked.empty());
    drawSomething();
    t.host.answers = {Answer::Cancel};
    EXPECT_FALSE(closeRequest(t.ed));
    EXPECT_EQ(t.host.asked[0].text, "文件“" + t.doc.displayName() + "”已改变，是否保存？");
    EXPECT_EQ(t.host.asked[0].buttons, Buttons::YesNoCancel);
    t.host.answers = {Answer::Yes};
    t.host.dialogResults = {std::nullopt};
    EXPECT_FALSE(closeRequest(t.ed)) << "a cancelled save keeps the window open";
    t.host.answers = {Answer::Yes};
    t.host.dialogResults = {path("c.QMP")};
    EXPECT_TRUE(closeRequest(t.ed));
    EXPECT_TRUE(fs::exists(fs::u8path(path("c.QMP"))));
    t.doc.modified = -1;
    t.host.answers = {Answer::No};
    EXPECT_TRUE(closeRequest(t.ed));
}

// Text still in an editor box is a change: New, Open and closing commit it first,
// so their question is asked about it. Dismissing the question (Esc, or closing
// the box) stops New and Open with the drawing as it was.
TEST_F(FileCommands, AnOpenEditorIsCommittedFirstAndADismissedQuestionKeepsTheDrawing) {
    const std::string p = path("other.QMP");
    t.host.dialogResults = {p};
    ASSERT_TRUE(fileSave(t.ed));
    auto typing = [](TestEditor& e) {
        e.doc.editLabel = 2;
        e.ed.text1.visible = true;
        e.ed.text1.text = "正在输入";
    };
    auto kept = [](TestEditor& e) {
        EXPECT_FALSE(e.ed.text1.visible);
        EXPECT_EQ(e.doc.Label.find(2)->caption, "正在输入");
        EXPECT_TRUE(e.doc.isModified());
    };
    TestEditor byNew, byOpen, byPath, byClose;
    for (TestEditor* e : {&byNew, &byPath, &byClose}) {
        typing(*e);
        e->host.answers = {Answer::Cancel};
    }
    EXPECT_FALSE(fileNew(byNew.ed));
    typing(byOpen);
    byOpen.host.dialogResults = {std::nullopt};  // committed before the dialog shows
    EXPECT_FALSE(fileOpen(byOpen.ed));
    EXPECT_FALSE(openDocumentPath(byPath.ed, Layout::Quillmap, clearDocument, p));
    EXPECT_FALSE(closeRequest(byClose.ed));
    for (TestEditor* e : {&byNew, &byOpen, &byPath, &byClose}) {
        kept(*e);
        EXPECT_EQ(e->doc.fileName, "");
    }
    for (TestEditor* e : {&byNew, &byPath, &byClose}) EXPECT_EQ(e->host.asked.size(), 1u);
}

TEST_F(FileCommands, AnOpenEditorIsCommittedBeforeSavingAndARefusedOneStopsTheCommand) {
    t.doc.editLabel = 2;
    t.ed.text1.visible = true;
    t.ed.text1.text = std::string(70000, 'x');
    t.doc.modified = -1;
    EXPECT_FALSE(fileSave(t.ed));
    EXPECT_FALSE(closeRequest(t.ed));
    EXPECT_FALSE(fileNew(t.ed));
    EXPECT_TRUE(t.host.dialogs.empty()) << "nothing went on behind the message";
    EXPECT_EQ(t.host.asked.size(), 3u);
    EXPECT_TRUE(t.ed.text1.visible);
    EXPECT_EQ(t.doc.labelCount, 8);


    t.ed.text1.visible = true;
    t.ed.text1.text = "正在输入";
    const std::string p = path("d.QMP");
    t.host.dialogResults = {p};
    ASSERT_TRUE(fileSave(t.ed));
    EXPECT_FALSE(t.ed.text1.visible);
    TestEditor other;
    other.host.dialogResults = {p};
    ASSERT_TRUE(fileOpen(other.ed));
    EXPECT_EQ(other.doc.Label.find(2)->caption, "正在输入");
    EXPECT_EQ(t.doc.modified, 0);
}

}  // namespace
}  // namespace qm
