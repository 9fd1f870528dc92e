// Every look the control can show, checked pixel by pixel: each test skin
// pixel names its picture and its own coordinates, so a look drawn from
// the wrong picture, at the wrong place or scaled shows up as a mismatch.
#include "player/player_link.h"
#include "plugin/state/plugin_state.h"
#include "tests/painting/expected_scene.h"
#include "tests/painting/paint_rig.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr int kOnOff = 0, kPlay = 1, kPause = 2, kStop = 3, kDisplay = 5, kOpen = 6, kNext = 8;
constexpr UINT kSunken = BDR_SUNKENINNER;
constexpr UINT kRaised = BDR_RAISEDINNER;

// The built-in layout without side margins: a 3-pixel bar, then cells of
// 11 x 10 pixels, row 0 from y 3 and row 1 from y 13.
RECT Cell(int column, int row) { return RECT{11 * column, 3 + 10 * row, 11 * column + 11, 13 + 10 * row}; }
RECT Cell(int index) { return Cell(index % 5, index / 5); }
RECT Bar(int left, int right) { return RECT{left, 0, right, 3}; }

class PaintLooks : public ::testing::Test {
protected:
    void SetUp() override {
        UseGeometry(0, 3, false);
        ResetPaintState();
        rig = std::make_unique<PaintRig>();
        ASSERT_TRUE(rig->ready());
    }
    void TearDown() override { rig.reset(); }

    static Scene Expect() { return Scene(55, 23); }
    void Hover(int item) {
        pluginState.hotItem = item;
        pluginState.hoverTimer = TIMER_HOVER;
        pluginState.buttonDown = false;
    }
    void Press(int item) {
        pluginState.hotItem = item;
        pluginState.buttonDown = true;
    }
    void Play(int status, int percent) {
        pluginState.playerStatus = status;
        positionPercent = percent;
    }
    // What a running player with both extra skins leaves on the top row.
    static Scene RunningBase(int stateColumn) {
        Scene scene = Expect();
        scene.From(SKIN_PRESSED_BUTTONS, Cell(kOnOff));
        scene.From(SKIN_PRESSED_BUTTONS, Cell(stateColumn)).Edge(Cell(stateColumn), kSunken);
        return scene;
    }

    std::unique_ptr<PaintRig> rig;
};

TEST_F(PaintLooks, PlayerNotRunningShowsOnlyTheNormalSkin) {
    pluginState.blinkPhase = true;
    positionPercent = 50;
    EXPECT_TRUE(Expect().Matches(rig->Paint()));
    Hover(HOT_POSITION_BAR);
    EXPECT_TRUE(Expect().Matches(rig->Paint())) << "no bar while the player is away";
}

TEST_F(PaintLooks, PlayerNotRunningLightsOnlyOnOffPlayAndOpen) {
    for (int item = 0; item < 10; ++item) {
        SCOPED_TRACE("hot item " + std::to_string(item));
        Hover(item);
        Scene hovered = Expect();
        if (item == kOnOff) hovered.From(SKIN_MOUSE_OVER_PRESSED, Cell(item)).Edge(Cell(item), kRaised);
        if (item == kPlay || item == kOpen) hovered.From(SKIN_MOUSE_OVER, Cell(item)).Edge(Cell(item), kRaised);
        EXPECT_TRUE(hovered.Matches(rig->Paint())) << "hovering";

        Press(item);
        Scene pressed = Expect();
        if (item == kOnOff || item == kPlay || item == kOpen)
            pressed.From(SKIN_PRESSED, Cell(item)).Edge(Cell(item), kSunken);
        EXPECT_TRUE(pressed.Matches(rig->Paint())) << "pressed";
    }
}

TEST_F(PaintLooks, StoppedShowsTheBarBackgroundTheSwitchedOnCellAndStop) {
    Play(PLAYER_STOPPED, -1);
    pluginState.blinkPhase = true;
    Scene scene = RunningBase(kStop);
    scene.From(SKIN_PRESSED, Bar(0, 55));
    EXPECT_TRUE(scene.Matches(rig->Paint()));
}

TEST_F(PaintLooks, PlayingAtHalfFillsTwentySevenPixelsOfAFiftyFivePixelBar) {
    Play(PLAYER_PLAYING, 50);
    Scene scene = RunningBase(kPlay);
    scene.From(SKIN_MOUSE_OVER, Bar(0, 27)).From(SKIN_PRESSED, Bar(27, 55));
    EXPECT_TRUE(scene.Matches(rig->Paint()));
}

TEST_F(PaintLooks, TheBarStartsAtTheSideOffsetAndStaysInsideItsStrip) {
    UseGeometry(1, 3, false);  // cells 10 wide from x 1, bar x 1..50
    Play(PLAYER_PLAYING, 50);
    auto cell = [](int column) { return RECT{1 + 10 * column, 3, 11 + 10 * column, 13}; };
    Scene scene = Expect();
    scene.From(SKIN_PRESSED_BUTTONS, cell(kOnOff));
    scene.From(SKIN_PRESSED_BUTTONS, cell(kPlay)).Edge(cell(kPlay), kSunken);
    scene.From(SKIN_MOUSE_OVER, Bar(1, 26)).From(SKIN_PRESSED, Bar(26, 51));
    EXPECT_TRUE(scene.Matches(rig->Paint()));

    // A position past the end fills the bar and no more; one below zero
    // fills nothing.
    positionPercent = 150;
    Scene full = Expect();
    full.From(SKIN_PRESSED_BUTTONS, cell(kOnOff));
    full.From(SKIN_PRESSED_BUTTONS, cell(kPlay)).Edge(cell(kPlay), kSunken);
    full.From(SKIN_MOUSE_OVER, Bar(1, 51));
    EXPECT_TRUE(full.Matches(rig->Paint())) << "150 %";
    positionPercent = -7;
    Scene empty = Expect();
    empty.From(SKIN_PRESSED_BUTTONS, cell(kOnOff));
    empty.From(SKIN_PRESSED_BUTTONS, cell(kPlay)).Edge(cell(kPlay), kSunken);
    empty.From(SKIN_PRESSED, Bar(1, 51));
    EXPECT_TRUE(empty.Matches(rig->Paint())) << "-7 %";
}

// A status number the player protocol does not define names no button:
// nothing is pressed in, not even in the margin right of the last column.
TEST_F(PaintLooks, AStatusWithoutAButtonColumnPressesNoneIn) {
    UseGeometry(1, 3, false);
    Play(5, 0);
    Scene scene = Expect();
    scene.From(SKIN_PRESSED_BUTTONS, RECT{1, 3, 11, 13});
    scene.From(SKIN_PRESSED, Bar(1, 51));
    EXPECT_TRUE(scene.Matches(rig->Paint()));
}

TEST_F(PaintLooks, TheDisplayCellBlinksPlayAndPauseWithThePhase) {
    Play(PLAYER_PLAYING, 40);  // 55 x 40 / 100 = 22 pixels
    Scene playing = RunningBase(kPlay);
    playing.From(SKIN_MOUSE_OVER, Bar(0, 22)).From(SKIN_PRESSED, Bar(22, 55));
    EXPECT_TRUE(playing.Matches(rig->Paint())) << "playing, phase off";
    pluginState.blinkPhase = true;
    playing.From(SKIN_PRESSED, Cell(kDisplay));
    EXPECT_TRUE(playing.Matches(rig->Paint())) << "playing, phase on";

    Play(PLAYER_PAUSED, 40);
    Scene paused = RunningBase(kPause);
    paused.From(SKIN_MOUSE_OVER, Bar(0, 22)).From(SKIN_PRESSED, Bar(22, 55));
    paused.From(SKIN_MOUSE_OVER, Cell(kDisplay));
    EXPECT_TRUE(paused.Matches(rig->Paint())) << "paused, phase on";
    pluginState.blinkPhase = false;
    paused.From(SKIN_NORMAL, Cell(kDisplay));
    EXPECT_TRUE(paused.Matches(rig->Paint())) << "paused, phase off";
}

TEST_F(PaintLooks, PointerOnTheBarSwapsItsPicturesAndLightsNoCell) {
    Play(PLAYER_PLAYING, 50);
    Hover(HOT_POSITION_BAR);
    Scene scene = RunningBase(kPlay);
    scene.From(SKIN_PRESSED, Bar(0, 27)).From(SKIN_MOUSE_OVER, Bar(27, 55));
    EXPECT_TRUE(scene.Matches(rig->Paint()));

    Press(kDisplay);
    Scene display = RunningBase(kPlay);
    display.From(SKIN_MOUSE_OVER, Bar(0, 27)).From(SKIN_PRESSED, Bar(27, 55));
    EXPECT_TRUE(display.Matches(rig->Paint())) << "the Display cell takes no press look";
}

TEST_F(PaintLooks, ABarOfHeightZeroIsNeverDrawn) {
    UseGeometry(0, 0, false);  // cells 11 x 11 from y 0
    auto cell = [](int column) { return RECT{11 * column, 0, 11 * column + 11, 11}; };
    for (int status : {PLAYER_PLAYING, PLAYER_PAUSED, PLAYER_STOPPED}) {
        SCOPED_TRACE("status " + std::to_string(status));
        Play(status, 50);
        Scene scene = Expect();
        scene.From(SKIN_PRESSED_BUTTONS, cell(kOnOff));
        scene.From(SKIN_PRESSED_BUTTONS, cell(status)).Edge(cell(status), kSunken);
        EXPECT_TRUE(scene.Matches(rig->Paint()));
    }
}

TEST_F(PaintLooks, WithoutThePressedSkinEdgesStandInForIt) {
    rig->Remove(SKIN_PRESSED);
    pluginState.showPressedButtons = false;
    Play(PLAYER_PLAYING, 100);
    Press(kNext);
    Scene scene = Expect();
    scene.From(SKIN_MOUSE_OVER, Bar(0, 55));
    scene.From(SKIN_PRESSED_BUTTONS, Cell(kOnOff)).Edge(Cell(kOnOff), kSunken);
    scene.From(SKIN_PRESSED_BUTTONS, Cell(kPlay)).Edge(Cell(kPlay), kSunken);
    scene.Edge(Cell(kNext), kSunken);
    EXPECT_TRUE(scene.Matches(rig->Paint()));

    // With neither extra skin, the switched-on and state looks are the
    // edges alone.
    rig->Remove(SKIN_PRESSED_BUTTONS);
    rig->Remove(SKIN_MOUSE_OVER_PRESSED);
    Scene bare = Expect();
    bare.From(SKIN_MOUSE_OVER, Bar(0, 55));
    bare.Edge(Cell(kOnOff), kSunken).Edge(Cell(kPlay), kSunken).Edge(Cell(kNext), kSunken);
    EXPECT_TRUE(bare.Matches(rig->Paint()));
}

TEST_F(PaintLooks, WithoutPressedButtonsOrTheSettingThereIsNoStateLook) {
    rig->Remove(SKIN_PRESSED_BUTTONS);
    pluginState.showPressedButtons = false;
    Play(PLAYER_PLAYING, 0);
    Scene scene = Expect();
    scene.From(SKIN_PRESSED, Bar(0, 55)).From(SKIN_PRESSED, Cell(kOnOff));
    EXPECT_TRUE(scene.Matches(rig->Paint()));

    pluginState.showPressedButtons = true;
    scene.Edge(Cell(kPlay), kSunken);
    EXPECT_TRUE(scene.Matches(rig->Paint())) << "the setting alone brings the edge back";
}

TEST_F(PaintLooks, TheSwitchedOnLookNeedsBothExtraSkins) {
    rig->Remove(SKIN_MOUSE_OVER_PRESSED);
    Play(PLAYER_PAUSED, 0);
    Hover(kOnOff);
    Scene scene = Expect();
    scene.From(SKIN_PRESSED, Bar(0, 55));
    scene.From(SKIN_PRESSED_BUTTONS, Cell(kPause)).Edge(Cell(kPause), kSunken);
    scene.From(SKIN_MOUSE_OVER, Cell(kOnOff)).Edge(Cell(kOnOff), kRaised);
    EXPECT_TRUE(scene.Matches(rig->Paint())) << "hovered";

    Hover(HOT_NONE);
    scene.From(SKIN_PRESSED, Cell(kOnOff));
    EXPECT_TRUE(scene.Matches(rig->Paint())) << "not hovered";
}

TEST_F(PaintLooks, HoveringThePressedInButtonsLightsThemUp) {
    Play(PLAYER_PLAYING, 0);
    struct Case {
        int item;
        SkinRole role;
    };
    for (Case c : {Case{kOnOff, SKIN_MOUSE_OVER_PRESSED}, Case{kPlay, SKIN_MOUSE_OVER_PRESSED},
                   Case{kPause, SKIN_MOUSE_OVER}, Case{kOpen, SKIN_MOUSE_OVER}}) {
        SCOPED_TRACE("hot item " + std::to_string(c.item));
        Hover(c.item);
        Scene scene = RunningBase(kPlay);
        scene.From(SKIN_PRESSED, Bar(0, 55));
        scene.From(c.role, Cell(c.item)).Edge(Cell(c.item), kRaised);
        EXPECT_TRUE(scene.Matches(rig->Paint()));
    }

    // The hot item alone, without the hover timer or a press, gets no hover
    // look; On/Off still shows its switched-on look lit.
    pluginState.hoverTimer = 0;
    pluginState.hotItem = kNext;
    Scene idle = RunningBase(kPlay);
    idle.From(SKIN_PRESSED, Bar(0, 55));
    EXPECT_TRUE(idle.Matches(rig->Paint())) << "Next hot, no hover";
    pluginState.hotItem = kOnOff;
    idle.From(SKIN_MOUSE_OVER_PRESSED, Cell(kOnOff));
    EXPECT_TRUE(idle.Matches(rig->Paint())) << "On/Off hot, no hover";
}

TEST_F(PaintLooks, WithoutBorderOnMouseOverTheLooksComeFromPicturesAlone) {
    pluginState.borderOnMouseOver = false;
    Play(PLAYER_PLAYING, 0);
    Scene base = RunningBase(kPlay);
    base.From(SKIN_PRESSED, Bar(0, 55));

    Hover(kNext);
    Scene hovered = base;
    hovered.From(SKIN_MOUSE_OVER, Cell(kNext));
    EXPECT_TRUE(hovered.Matches(rig->Paint())) << "hovering Next";

    Press(kNext);
    Scene pressed = base;
    pressed.From(SKIN_PRESSED, Cell(kNext));
    EXPECT_TRUE(pressed.Matches(rig->Paint())) << "pressing Next";

    Hover(kPlay);
    Scene lit = base;
    lit.From(SKIN_MOUSE_OVER_PRESSED, Cell(kPlay));
    EXPECT_TRUE(lit.Matches(rig->Paint())) << "hovering Play covers its state edge";
}

TEST_F(PaintLooks, TheOffsetBottomRowIsDrawnLower) {
    UseGeometry(0, 3, true);  // cells 11 x 8; row 0 y 3..10, row 1 y 14..21
    auto cell = [](int column, int row) {
        const int top = row == 0 ? 3 : 14;
        return RECT{11 * column, top, 11 * column + 11, top + 8};
    };
    Play(PLAYER_PLAYING, 50);
    pluginState.blinkPhase = true;
    Hover(kOpen);
    Scene scene = Expect();
    scene.From(SKIN_MOUSE_OVER, Bar(0, 27)).From(SKIN_PRESSED, Bar(27, 55));
    scene.From(SKIN_PRESSED_BUTTONS, cell(0, 0));
    scene.From(SKIN_PRESSED_BUTTONS, cell(1, 0)).Edge(cell(1, 0), kSunken);
    scene.From(SKIN_PRESSED, cell(0, 1));
    scene.From(SKIN_MOUSE_OVER, cell(1, 1)).Edge(cell(1, 1), kRaised);
    EXPECT_TRUE(scene.Matches(rig->Paint()));
}

}  // namespace
