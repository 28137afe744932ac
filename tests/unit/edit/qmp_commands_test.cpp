#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "edit/insert.h"
#include "interact/selection.h"
#include "io/document_io.h"
#include "model/sel_kind.h"
#include "unit/support/reduced_editor.h"

namespace qm {
namespace {

namespace fs = std::filesystem;
using test::ReducedEditor;

TEST(Reduced, StartsEmptyWithoutTitleBlockAndBigHandles) {
    ReducedEditor r;
    EXPECT_EQ(r.doc.labelCount, 0);
    EXPECT_FALSE(r.doc.Shape2.visible);
    EXPECT_EQ(r.doc.spHandle.templ().width, 125);
    EXPECT_EQ(r.doc.spHandle.templ().fill, SystemColor::ActiveCaption);
    r.press(12000, 8500);
    EXPECT_EQ(r.doc.selKind, SelKind::None) << "there is no title block to select";
}

TEST(Reduced, FilesAreCheckedBeforeTheDrawingIsCleared) {
    const fs::path dir = fs::temp_directory_path() / ("qm reduced " + std::to_string(::getpid()));
    fs::create_directories(dir);
    ReducedEditor r;
    const std::string empty = (dir / "empty.QMP").string();
    r.host.dialogResults = {empty};
    ASSERT_TRUE(reduced::fileSave(r.ed));
    {
        std::ifstream in(empty, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(bytes, std::string(10, '\0')) << "five counts of zero";
    }

    insertShape(r.ed, ShapeStyle::Oval);
    r.click(2000, 2000);
    EXPECT_EQ(r.doc.modified, -1);
    const std::string chart = (dir / "chart.QMP").string();
    r.host.dialogResults = {chart};
    ASSERT_TRUE(reduced::fileSaveAs(r.ed));
    EXPECT_EQ(r.doc.modified, 0) << "qmp's saves clear the mark too";
    r.doc.setModified(true);  // changed again since

    // A quillmap file is refused before any question; the drawing stays.
    test::TestEditor full;
    const std::string fullPath = (dir / "full.QMP").string();
    ASSERT_TRUE(writeDocument(fullPath, full.doc));
    r.host.asked.clear();
    r.host.dialogResults = {fullPath};
    EXPECT_FALSE(reduced::fileOpen(r.ed));
    ASSERT_EQ(r.host.asked.size(), 1u);
    EXPECT_EQ(r.host.asked[0].text, "“" + fullPath + "”是 Quillmap 的文档，qmp 不能打开它，请用 Quillmap 打开。");
    EXPECT_EQ(r.doc.shapeCount, 1);

    r.host.asked.clear();
    r.host.answers = {Answer::No};
    r.host.dialogResults = {empty};
    ASSERT_TRUE(reduced::fileOpen(r.ed));
    ASSERT_EQ(r.host.asked.size(), 1u);
    EXPECT_EQ(r.host.asked[0].text, "文件“chart.QMP”已改变，是否保存？");
    EXPECT_EQ(r.doc.shapeCount, 0);
    EXPECT_EQ(r.doc.fileName, empty);
    EXPECT_EQ(r.doc.modified, 0);

    r.host.dialogResults = {chart};
    ASSERT_TRUE(reduced::fileOpen(r.ed));
    EXPECT_EQ(r.doc.Shape1.find(1)->style, 2);
    EXPECT_FALSE(r.doc.Shape2.visible);
    fs::remove_all(dir);
}

TEST(Reduced, ClearingCommitsAnOpenEditorAndADismissedQuestionKeepsTheDrawing) {
    ReducedEditor r;
    insertLabel(r.ed, false);
    const int i = r.doc.selIndex;
    ASSERT_EQ(r.doc.selKind, SelKind::PlacingLabel);
    endInteraction(r.ed);
    r.doc.setModified(false);
    r.doc.editLabel = static_cast<int16_t>(i);
    r.ed.text1.visible = true;
    r.ed.text1.text = "正在输入";
    r.host.answers = {Answer::Cancel};
    EXPECT_FALSE(reduced::newDocument(r.ed));
    ASSERT_EQ(r.host.asked.size(), 1u);
    EXPECT_EQ(r.host.asked[0].text, "文件“未命名”已改变，是否保存？");
    EXPECT_EQ(r.host.asked[0].buttons, Buttons::YesNoCancel);
    const LabelEl* kept = r.doc.Label.find(i);
    ASSERT_NE(kept, nullptr) << "the drawing was cleared";
    EXPECT_EQ(kept->caption, "正在输入");
    EXPECT_TRUE(r.doc.isModified());
}

}  // namespace
}  // namespace qm
