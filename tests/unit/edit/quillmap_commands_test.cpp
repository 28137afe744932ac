#include <gtest/gtest.h>

#include "edit/quillmap_commands.h"
#include "interact/handles.h"
#include "model/labels.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

using test::TestEditor;

TEST(NewDocument, StartUpBuildsTheTitleBlockWithoutAsking) {
    TestEditor t;
    const Document& d = t.doc;
    EXPECT_TRUE(t.host.asked.empty());
    EXPECT_EQ(d.labelCount, 8);
    EXPECT_EQ(d.shapeCount + d.arrowCount + d.segCount + d.diamondCount, 0);
    EXPECT_EQ(d.modified, 0);
    EXPECT_EQ(d.headerTag.size(), 255u);
    EXPECT_EQ(d.headerTag.substr(0, 4), "QMP ");
    EXPECT_EQ(d.fileVersion, 1);

    const LabelEl& number = *d.Label.find(1);
    EXPECT_EQ(number.caption, "编号:");
    EXPECT_EQ(number.fontSize, 12);
    EXPECT_EQ(number.left, 400);
    EXPECT_EQ(number.top, 400);
    EXPECT_TRUE(number.visible);

    // Centred with its width in the default face (fake: 8 CJK chars at 14pt = 2240),
    // then switched to the title face.
    const LabelEl& title = *d.Label.find(2);
    EXPECT_EQ(title.caption, "单击这里添加标题");
    EXPECT_EQ(title.fontName, "黑体");
    EXPECT_FLOAT_EQ(title.left, 14415.0f / 2 + 75 - 2240.0f / 2);
    EXPECT_EQ(title.top, 400);

    const char* captions[] = {"制作人", "审核", "依据", "单击添加制作人", "单击添加审核", "单击添加依据"};
    for (int i = 3; i <= 8; ++i) {
        EXPECT_EQ(d.Label.find(i)->caption, captions[i - 3]);
        EXPECT_EQ(d.Label.find(i)->fontName, "宋体");
    }
    EXPECT_FALSE(d.Label.exists(9));
}

TEST(NewDocument, TemplateLabelIsSizedByTheRealMetrics) {
    TestEditor t;
    // "单击这里添加文本": 8 CJK characters at 9 pt in the fake face.
    EXPECT_EQ(t.doc.Label.templ().width, 8 * 180);
    EXPECT_EQ(t.doc.Label.templ().height, 225);
}

TEST(ClearDocument, UnchangedDocumentIsClearedWithoutAQuestion) {
    TestEditor t;
    ASSERT_TRUE(newDocument(t.ed));
    EXPECT_TRUE(t.host.asked.empty());
    EXPECT_EQ(t.doc.labelCount, 8);
}

TEST(ClearDocument, NoDiscardsAndKeepsTheChangedMark) {
    TestEditor t;
    t.doc.modified = -1;
    t.doc.fileName = "/tmp/图 1.QMP";
    t.host.answers = {Answer::No};
    ASSERT_TRUE(newDocument(t.ed));
    ASSERT_EQ(t.host.asked.size(), 1u);
    EXPECT_EQ(t.host.asked[0].title, "提示");
    EXPECT_EQ(t.host.asked[0].text, "文件“图 1.QMP”已改变，是否保存？");  // the drawing, not its folder
    EXPECT_EQ(t.host.asked[0].buttons, Buttons::YesNoCancel);
    EXPECT_EQ(t.host.asked[0].icon, Icon::Question);
    EXPECT_EQ(t.doc.modified, -1);
    EXPECT_EQ(t.doc.fileName, "");
}

TEST(ClearDocument, YesWhoseSaveDoesNotCompleteKeepsTheDrawing) {
    TestEditor t;
    t.doc.modified = -1;
    setCaption(*t.doc.Label.find(2), "流程图", t.metrics);
    int saves = 0;
    for (bool saveSucceeds : {false, true}) {
        t.ed.save = [&] { ++saves; return saveSucceeds; };
        t.host.answers = {Answer::Yes};
        const bool cleared = newDocument(t.ed);
        EXPECT_EQ(cleared, saveSucceeds);
        EXPECT_EQ(t.doc.Label.find(2)->caption, saveSucceeds ? "单击这里添加标题" : "流程图");
    }
    EXPECT_EQ(saves, 2);

    // Without any Save wired in, Yes cannot save, so nothing is lost either.
    TestEditor u;
    u.doc.modified = -1;
    u.host.answers = {Answer::Yes};
    EXPECT_FALSE(clearDocument(u.ed));
    EXPECT_EQ(u.doc.labelCount, 8);
}

TEST(ClearDocument, EndsSelectionPlacingAndDrawing) {
    TestEditor t;
    Document& d = t.doc;
    d.Shape1.create(1);
    d.Shape1.setVisible(1, true);
    d.shapeCount = 1;
    showShapeHandles(t.ed, 1);
    ASSERT_TRUE(d.spHandle.visible(3));
    d.selKind = SelKind::DrawingArrow;
    d.lneTemp.visible = true;
    t.host.cursorKind = CursorKind::Crosshair;
    t.host.timer1 = true;
    ASSERT_TRUE(clearDocument(t.ed));
    EXPECT_EQ(d.selKind, SelKind::None);
    EXPECT_FALSE(d.lneTemp.visible);
    for (int k = 1; k <= 4; ++k) EXPECT_FALSE(d.spHandle.visible(k));
    EXPECT_TRUE(d.spHandle.exists(1)) << "handles are hidden, never destroyed";
    EXPECT_EQ(t.host.cursorKind, CursorKind::Default);
    EXPECT_FALSE(t.host.timer1);
    EXPECT_FALSE(d.Shape1.exists(1));
    EXPECT_EQ(d.labelCount + d.shapeCount, 0);
}

}  // namespace
}  // namespace qm
