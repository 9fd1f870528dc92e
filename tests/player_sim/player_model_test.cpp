// The stand-in player's clock, transport rules, caption and query answers,
// checked on plain values with made-up ticks.
#include <gtest/gtest.h>

#include "testbed/player/player_model.h"
#include "testbed/player/player_sim_protocol.h"

using namespace player_sim;

namespace {

PlayerModel PlayingAt(uint32_t tick, int positionMs = 0) {
  PlayerModel model = Play(MakeDefaultModel(), tick);
  return SeekTo(model, positionMs, tick);
}

PlayerModel WithPlaylist(std::vector<Track> tracks) {
  PlayerModel model = MakeDefaultModel();
  model.playlist = std::move(tracks);
  return model;
}

}  // namespace

TEST(PlayerClock, RunsWhilePlayingStandsWhilePausedIsZeroWhenStopped) {
  PlayerModel model = PlayingAt(1000, 5000);
  EXPECT_EQ(PositionMs(model, 1750), 5750);

  model = TogglePause(model, 1750);
  EXPECT_EQ(model.state, PlayState::Paused);
  EXPECT_EQ(PositionMs(model, 9000), 5750);

  model = TogglePause(model, 9000);  // resumes where it stood
  EXPECT_EQ(PositionMs(model, 9100), 5850);

  model = Stop(model);
  EXPECT_EQ(PositionMs(model, 20000), 0);
}

TEST(PlayerClock, SurvivesTheTickCounterWrapping) {
  const PlayerModel model = PlayingAt(0xFFFFFF00u);
  EXPECT_EQ(PositionMs(model, 0x00000100u), 0x200);
}

TEST(PlayerTransport, PlayStartsResumesOrRestarts) {
  PlayerModel stopped = MakeDefaultModel();
  EXPECT_EQ(PositionMs(Play(stopped, 100), 600), 500);

  PlayerModel paused = TogglePause(PlayingAt(0, 30000), 1000);
  EXPECT_EQ(PositionMs(Play(paused, 5000), 5000), 31000);

  PlayerModel playing = PlayingAt(0, 30000);
  EXPECT_EQ(PositionMs(Play(playing, 2000), 2000), 0);
}

TEST(PlayerTransport, PauseDoesNothingWhenStopped) {
  const PlayerModel model = TogglePause(MakeDefaultModel(), 100);
  EXPECT_EQ(model.state, PlayState::Stopped);
}

TEST(PlayerTransport, TrackEndMovesToTheNextAndTheLastEndStops) {
  PlayerModel model = WithPlaylist({{"A - One", 2}, {"B - Two", 3}});
  model = Play(model, 0);
  model = Settle(model, 2500);  // 0.5 s into the second track
  EXPECT_EQ(model.current, 1);
  EXPECT_EQ(PositionMs(model, 2500), 500);

  model = Settle(model, 5001);
  EXPECT_EQ(model.state, PlayState::Stopped);
  EXPECT_EQ(model.current, 1);
}

TEST(PlayerTransport, ShuffleAndRepeatAreSetAndAnsweredAndRepeatWrapsToTheFirst) {
  PlayerModel model = AnswerQuery(WithPlaylist({{"A - One", 2}, {"B - Two", 3}}), 1, kSetRepeat, 0).model;
  EXPECT_EQ(AnswerQuery(model, 0, kRepeatQuery, 0).answer, 1);
  EXPECT_EQ(AnswerQuery(model, 0, kShuffleQuery, 0).answer, 0) << "repeat set shuffle";
  EXPECT_EQ(AnswerQuery(AnswerQuery(model, 1, kSetShuffle, 0).model, 0, kShuffleQuery, 0).answer, 1);
  model = Settle(Play(model, 0), 5500);  // 0.5 s past the last track's end
  EXPECT_EQ(model.current, 0);
  EXPECT_EQ(PositionMs(model, 5500), 500);
}

TEST(PlayerTransport, StreamsAndZeroLengthTracksNeverEnd) {
  for (int length : {-1, 0}) {
    PlayerModel model = Play(WithPlaylist({{"Radio", length}, {"Next", 10}}), 0);
    model = Settle(model, 3600000);
    EXPECT_EQ(model.current, 0) << length;
    EXPECT_EQ(PositionMs(model, 3600000), 3600000) << length;
  }
}

TEST(PlayerTransport, SeekIsClampedToTheTrackAndIgnoredWhenStopped) {
  PlayerModel model = PlayingAt(0);  // first track: 200 s
  EXPECT_EQ(PositionMs(SeekTo(model, 61500, 10), 10), 61500);
  EXPECT_EQ(PositionMs(SeekTo(model, 999999, 10), 10), 200000);
  EXPECT_EQ(PositionMs(SeekTo(model, -5, 10), 10), 0);

  PlayerModel stream = Play(WithPlaylist({{"Radio", -1}}), 0);
  EXPECT_EQ(PositionMs(SeekTo(stream, 999999, 10), 10), 999999);

  EXPECT_EQ(PositionMs(SeekTo(MakeDefaultModel(), 5000, 10), 10), 0);

  PlayerModel endless = Play(WithPlaylist({{"Long", 2147483647}}), 0);  // its end in ms overflows an int
  EXPECT_EQ(PositionMs(SeekTo(endless, 999999, 10), 10), 999999);
  EXPECT_EQ(Settle(endless, 3600000).state, PlayState::Playing);
}

TEST(PlayerTransport, PrevAndNextStayInsideThePlaylist) {
  PlayerModel model = PlayingAt(0, 40000);
  model = ApplyCommand(model, kCmdPrev, 100);
  EXPECT_EQ(model.current, 0);
  EXPECT_EQ(PositionMs(model, 100), 0);
  for (int i = 0; i < 5; ++i) model = ApplyCommand(model, kCmdNext, 100);
  EXPECT_EQ(model.current, 2);
  EXPECT_EQ(model.state, PlayState::Playing);

  PlayerModel stopped = ApplyCommand(MakeDefaultModel(), kCmdNext, 100);
  EXPECT_EQ(stopped.current, 1);
  EXPECT_EQ(stopped.state, PlayState::Stopped);
}

TEST(PlayerTransport, SkipsMoveFiveSecondsWithinTheTrack) {
  const PlayerModel model = TogglePause(PlayingAt(0, 3000), 0);
  EXPECT_EQ(PositionMs(ApplyCommand(model, kCmdForward5s, 0), 0), 8000);
  EXPECT_EQ(PositionMs(ApplyCommand(model, kCmdRewind5s, 0), 0), 0);
}

TEST(PlayerTransport, VolumeStepsStayInRange) {
  PlayerModel model = MakeDefaultModel();
  const int start = model.volume;
  model = ApplyCommand(model, kCmdVolumeUp, 0);
  EXPECT_GT(model.volume, start);
  for (int i = 0; i < 200; ++i) model = ApplyCommand(model, kCmdVolumeUp, 0);
  EXPECT_EQ(model.volume, kVolumeMax);
  for (int i = 0; i < 200; ++i) model = ApplyCommand(model, kCmdVolumeDown, 0);
  EXPECT_EQ(model.volume, 0);
}

TEST(PlayerCaption, CarriesIndexTitleSuffixAndState) {
  PlayerModel model = ApplyCommand(PlayingAt(0), kCmdNext, 0);
  EXPECT_EQ(ComposeCaption(model, " - Winamp"), "2. Ada Fenwick - Paper Boats - Winamp");
  EXPECT_EQ(ComposeCaption(TogglePause(model, 0), " - Winamp"), "2. Ada Fenwick - Paper Boats - Winamp [Paused]");
  EXPECT_EQ(ComposeCaption(Stop(model), ""), "2. Ada Fenwick - Paper Boats [Stopped]");
}

TEST(PlayerQueries, AnswerStatusTimeAndVolume) {
  PlayerModel model = PlayingAt(0, 1000);
  EXPECT_EQ(AnswerQuery(model, 0, kQueryStatus, 10).answer, kAnswerPlaying);
  EXPECT_EQ(AnswerQuery(TogglePause(model, 0), 0, kQueryStatus, 10).answer, kAnswerPaused);
  EXPECT_EQ(AnswerQuery(Stop(model), 0, kQueryStatus, 10).answer, kAnswerStopped);
  EXPECT_EQ(AnswerQuery(model, 0, kQueryTime, 500).answer, 1500);
  EXPECT_EQ(AnswerQuery(model, 1, kQueryTime, 500).answer, 200);
  EXPECT_EQ(AnswerQuery(Play(WithPlaylist({{"Radio", -1}}), 0), 1, kQueryTime, 0).answer, -1);
  EXPECT_EQ(AnswerQuery(model, static_cast<int32_t>(kVolumeQuery), kVolume, 0).answer, model.volume);
}

TEST(PlayerQueries, SeekMovesTheClockAndAStoppedPlayerRefusesIt) {
  const QueryResult seek = AnswerQuery(PlayingAt(0), 62000, kSeek, 100);
  EXPECT_EQ(seek.answer, 0);
  EXPECT_EQ(PositionMs(seek.model, 100), 62000);
  EXPECT_EQ(AnswerQuery(MakeDefaultModel(), 62000, kSeek, 100).answer, -1);
}

TEST(PlayerQueries, SettleBeforeAnswering) {
  const PlayerModel model = Play(WithPlaylist({{"A - One", 1}, {"B - Two", 50}}), 0);
  const QueryResult length = AnswerQuery(model, 1, kQueryTime, 1500);
  EXPECT_EQ(length.answer, 50);
  EXPECT_EQ(length.model.current, 1);
}

namespace {

// The answer to a WM_USER code, leaving the model as the player would.
long Ask(PlayerModel* model, int32_t code, int32_t wParam = 0, uint32_t now = 0) {
  const QueryResult result = AnswerQuery(*model, wParam, code, now);
  *model = result.model;
  return result.answer;
}

}  // namespace

TEST(PlayerPlaylist, AClearedPlaylistAnswersEverythingWithNoEntry) {
  PlayerModel model = PlayingAt(0, 5000);
  Ask(&model, kClearPlaylist);
  EXPECT_EQ(Ask(&model, kPlaylistLength), 0);
  EXPECT_EQ(Ask(&model, kPlaylistPosition), kNoEntry);
  EXPECT_EQ(Ask(&model, kQueryStatus), kAnswerStopped);
  EXPECT_EQ(Ask(&model, kQueryTime, kTimePosition), 0);
  EXPECT_EQ(Ask(&model, kQueryTime, kTimeLength), -1);
  EXPECT_EQ(Ask(&model, kSeek, 1000), -1);
  EXPECT_EQ(ComposeCaption(model, " - Winamp"), "Winamp");
  EXPECT_EQ(ComposeCaption(model, ""), "Winamp");

  for (int command : {kCmdPlay, kCmdNext, kCmdPrev, kCmdPause, kCmdForward5s, kCmdRewind5s, kCmdStop}) {
    model = ApplyCommand(model, command, 10);
  }
  Ask(&model, kSetPlaylistPosition, 0);
  Ask(&model, kPlayCurrent);
  model = SetState(model, PlayState::Paused, 10);
  EXPECT_TRUE(model.playlist.empty());
  EXPECT_EQ(model.current, kNoEntry);
  EXPECT_EQ(model.state, PlayState::Stopped);
}

TEST(PlayerPlaylist, AddedFilesPlayOnlyOnceAnEntryIsChosen) {
  PlayerModel model = ClearPlaylist(PlayingAt(0));
  model = AppendTracks(model, {{"a", 180}, {"b", 180}});
  EXPECT_EQ(Ask(&model, kPlaylistLength), 2);
  EXPECT_EQ(Ask(&model, kPlaylistPosition), kNoEntry);
  Ask(&model, kPlayCurrent, 0, 100);
  EXPECT_EQ(Ask(&model, kQueryStatus), kAnswerStopped);
  EXPECT_EQ(ComposeCaption(model, " - Winamp"), "Winamp");

  Ask(&model, kSetPlaylistPosition, 0);
  Ask(&model, kPlayCurrent, 0, 100);
  EXPECT_EQ(Ask(&model, kQueryStatus, 0, 600), kAnswerPlaying);
  EXPECT_EQ(Ask(&model, kQueryTime, kTimePosition, 600), 500);
  EXPECT_EQ(ComposeCaption(model, " - Winamp"), "1. a - Winamp");
}

TEST(PlayerPlaylist, AChosenEntryStandsStoppedAtItsStartAndOneOutsideIsIgnored) {
  PlayerModel model = PlayingAt(0, 30000);
  Ask(&model, kSetPlaylistPosition, 2, 100);
  EXPECT_EQ(Ask(&model, kPlaylistPosition), 2);
  EXPECT_EQ(model.state, PlayState::Stopped);
  EXPECT_EQ(PositionMs(Play(model, 200), 200), 0);
  for (int outside : {3, -1}) {
    Ask(&model, kSetPlaylistPosition, outside);
    EXPECT_EQ(model.current, 2) << outside;
  }
}
