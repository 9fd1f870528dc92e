// The demo's scene scripts: every step form, the errors that stop a scene
// before it starts, and where a step puts the pointer on the control.
#include "testbed/shell/scene_runner.h"
#include "testbed/shell/scene_script.h"

#include <gtest/gtest.h>

TEST(SceneScript, ReadsEveryKindOfStep) {
    const ParsedScene scene = ParseScene(
        "# the player is off\n"
        "wait 1500\r\n"
        "shot 01-off Player not running\n"
        "\n"
        "click play\n"
        "press stop\n"
        "release\n"
        "move away\n"
        "hover stop\n"
        "player title Someone - Something new\n"
        "drop \"C:\\Music\\a b.mp3\" C:\\Music\\c.mp3\n"
        "rightclick display\n"
        "menuitem Play list\n"
        "closemenu\n");
    ASSERT_EQ(scene.error, "");
    ASSERT_EQ(scene.steps.size(), 12u);
    EXPECT_EQ(scene.steps[0].action, SceneAction::Wait);
    EXPECT_EQ(scene.steps[0].number, 1500);
    EXPECT_EQ(scene.steps[0].line, 2);
    EXPECT_EQ(scene.steps[1].action, SceneAction::Shot);
    EXPECT_EQ(scene.steps[1].name, "01-off");
    EXPECT_EQ(scene.steps[1].text, "Player not running");
    EXPECT_EQ(scene.steps[2].action, SceneAction::Click);
    EXPECT_EQ(scene.steps[2].number, 1);
    EXPECT_EQ(scene.steps[3].action, SceneAction::Press);
    EXPECT_EQ(scene.steps[3].number, 3);
    EXPECT_EQ(scene.steps[4].action, SceneAction::Release);
    EXPECT_EQ(scene.steps[5].number, kCellAway);
    EXPECT_EQ(scene.steps[6].action, SceneAction::Hover);
    EXPECT_EQ(scene.steps[6].number, 3);
    EXPECT_EQ(scene.steps[7].action, SceneAction::Player);
    EXPECT_EQ(scene.steps[7].text, "title Someone - Something new");
    EXPECT_EQ(scene.steps[8].files, (std::vector<std::string>{"C:\\Music\\a b.mp3", "C:\\Music\\c.mp3"}));
    EXPECT_EQ(scene.steps[9].action, SceneAction::RightClick);
    EXPECT_EQ(scene.steps[9].number, 5);
    EXPECT_EQ(scene.steps[10].action, SceneAction::MenuItem);
    EXPECT_EQ(scene.steps[10].text, "Play list");
    EXPECT_EQ(scene.steps[11].action, SceneAction::CloseMenu);
}

TEST(SceneScript, AFaultyLineStopsTheWholeSceneAndIsNamed) {
    const ParsedScene unknown = ParseScene("wait 10\nwave hello\n");
    EXPECT_EQ(unknown.error, "line 2: unknown step 'wave'");
    EXPECT_TRUE(unknown.steps.empty());
    EXPECT_NE(ParseScene("wait soon").error, "");
    EXPECT_NE(ParseScene("wait -1").error, "");
    EXPECT_NE(ParseScene("click sideways").error, "");
    EXPECT_NE(ParseScene("click away").error, "");
    EXPECT_NE(ParseScene("hover away").error, "");
    EXPECT_NE(ParseScene("shot ..\\outside").error, "");
    EXPECT_NE(ParseScene("shot a.bmp").error, "");
    EXPECT_NE(ParseScene("drop").error, "");
    EXPECT_NE(ParseScene("player").error, "");
    EXPECT_NE(ParseScene("release now").error, "");
    EXPECT_NE(ParseScene("closemenu now").error, "");
    EXPECT_NE(ParseScene("menuitem").error, "");
    EXPECT_NE(ParseScene("rightclick away").error, "");
}

TEST(SceneScript, PointsLieInTheirCellsOfA55By23Control) {
    const RECT control = {900, 745, 955, 768};
    for (int cell = 0; cell < 10; ++cell) {
        const POINT point = CellPoint(control, cell);
        const int column = cell % 5;
        // Cells are 11 wide; the top row lies under a 3-pixel bar, the
        // bottom row in the lower half.
        EXPECT_GE(point.x, control.left + 11 * column + 2) << cell;
        EXPECT_LE(point.x, control.left + 11 * column + 8) << cell;
        if (cell < 5) {
            EXPECT_GE(point.y, control.top + 4) << cell;
            EXPECT_LE(point.y, control.top + 11) << cell;
        } else {
            EXPECT_GE(point.y, control.top + 14) << cell;
            EXPECT_LE(point.y, control.bottom - 2) << cell;
        }
    }
    EXPECT_LT(CellPoint(control, kCellBar).y, control.top + 3);
    EXPECT_LT(CellPoint(control, kCellAway).y, control.top);
}

TEST(SceneScript, ShotsAreOneSizeAndStayOnTheScreen) {
    const RECT rightEnd = ShotRect({969, 745, 1024, 768}, 1024, 768);
    const RECT leftEnd = ShotRect({0, 745, 55, 768}, 1024, 768);
    for (const RECT& shot : {rightEnd, leftEnd}) {
        EXPECT_EQ(shot.right - shot.left, kShotWidth);
        EXPECT_EQ(shot.bottom - shot.top, kShotHeightAboveControl + 23);
        EXPECT_GE(shot.left, 0);
        EXPECT_LE(shot.right, 1024);
    }
    EXPECT_EQ(rightEnd.right, 1024);
    EXPECT_EQ(leftEnd.left, 0);
}

TEST(SceneScript, MovesTheTaskbarThenAimsAndShootsBelowATopOne) {
    const ParsedScene scene = ParseScene("taskbar left\n");
    ASSERT_EQ(scene.error, "");
    EXPECT_EQ(scene.steps[0].action, SceneAction::Taskbar);
    EXPECT_EQ(scene.steps[0].edge, TaskbarEdge::Left);
    EXPECT_NE(ParseScene("taskbar middle").error, "");
    const RECT control = {969, 0, 1024, 23};
    EXPECT_GT(CellPoint(control, kCellAway, TaskbarEdge::Top).y, 23);
    const RECT shot = ShotRect(control, 1024, 768, TaskbarEdge::Top);
    EXPECT_EQ(shot.top, 0);
    EXPECT_EQ(shot.bottom, kShotHeightAboveControl + 23);
}
