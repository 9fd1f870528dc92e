// The texts the stand-in player reads and writes: its command line, its INI
// options as the client library writes them, the test commands, and its
// log lines as the client library reads them.
#include <gtest/gtest.h>

#include "testbed/player/player_sim_client.h"
#include "testbed/player/player_sim_protocol.h"
#include "testbed/player/sim_command_line.h"
#include "testbed/player/sim_control.h"
#include "testbed/player/sim_log.h"
#include "testbed/player/sim_options.h"
#include "testbed/player/sim_values.h"

using namespace player_sim;

TEST(SimCommandLine, ArgumentsFollowTheProgramName) {
  EXPECT_EQ(ArgumentsOf("\"Z:\\a b\\player_sim.exe\"  /ADD \"C:\\x\\b.mp3\""), "/ADD \"C:\\x\\b.mp3\"");
  EXPECT_EQ(ArgumentsOf("player_sim.exe \"C:\\a.mp3\""), "\"C:\\a.mp3\"");
  EXPECT_EQ(ArgumentsOf("\"Z:\\player_sim.exe\""), "");
}

TEST(SimCommandLine, ConfigArgumentIsTakenOnlyFirst) {
  const ConfigSplit quoted = SplitConfigArgument("\"--config=C:\\my dir\\p.ini\" /ADD \"C:\\b.mp3\"");
  EXPECT_EQ(quoted.configPath, "C:\\my dir\\p.ini");
  EXPECT_EQ(quoted.rest, "/ADD \"C:\\b.mp3\"");

  const ConfigSplit later = SplitConfigArgument("\"C:\\a.mp3\" --config=C:\\p.ini");
  EXPECT_EQ(later.configPath, "");
  EXPECT_EQ(later.rest, "\"C:\\a.mp3\" --config=C:\\p.ini");
}

TEST(SimCommandLine, BareFilesReplaceAndAddedFilesAppend) {
  const FileRequest request = ParseFileArguments("\"C:\\my music\\a.mp3\" /add \"C:\\x\\b.long.ogg\" c.wav /CLASS=x");
  ASSERT_EQ(request.opened.size(), 1u);
  EXPECT_EQ(request.opened[0].title, "a");
  EXPECT_EQ(request.opened[0].file, "C:\\my music\\a.mp3");
  ASSERT_EQ(request.added.size(), 2u);
  EXPECT_EQ(request.added[0].title, "b.long");
  EXPECT_EQ(request.added[1].title, "c");
}

TEST(SimCommandLine, OpeningPlaysTheFileAndAddingKeepsTheState) {
  const PlayerModel paused = SetState(ApplyCommand(MakeDefaultModel(), kCmdNext, 0), PlayState::Paused, 0);

  const PlayerModel opened = ApplyFileArguments(paused, "\"C:\\x\\a.mp3\"", 100);
  ASSERT_EQ(opened.playlist.size(), 1u);
  EXPECT_EQ(opened.state, PlayState::Playing);
  EXPECT_EQ(ComposeCaption(opened, " - Winamp"), "1. a - Winamp");

  const PlayerModel added = ApplyFileArguments(paused, "/ADD \"C:\\x\\b.mp3\"", 100);
  EXPECT_EQ(added.playlist.size(), paused.playlist.size() + 1);
  EXPECT_EQ(added.playlist.back().title, "b");
  EXPECT_EQ(added.state, PlayState::Paused);
  EXPECT_EQ(added.current, paused.current);
}

TEST(SimOptions, WhatTheClientWritesTheSimulatorReads) {
  PlayerSimOptions written;
  written.state = PlayerSimState::Paused;
  written.playlist = {{"A | B - C", 90, "C:\\m\\a b.mp3"}, {"Radio", -1}};
  written.currentTrack = 2;
  written.startPositionMs = 61500;
  written.volume = 17;
  written.captionSuffix = "";
  written.rawCaption = " Winamp \xCF\xE0\xF3\xE7\xE0";
  written.answerDelayMs = 250;
  written.hangMs = -1;
  written.startDelayMs = 1500;
  written.launcherWindowlessChild = true;
  written.launcherPlayerAfterMs = 200;

  const SimOptions read = ParseSimOptions(FormatPlayerSimConfig(written, "C:\\t\\sim.log"));
  EXPECT_EQ(read.state, PlayState::Paused);
  ASSERT_EQ(read.playlist.size(), 2u);
  EXPECT_EQ(read.playlist[0].title, "A | B - C");
  EXPECT_EQ(read.playlist[0].lengthSec, 90);
  EXPECT_EQ(read.playlist[0].file, "C:\\m\\a b.mp3");
  EXPECT_EQ(read.playlist[1].lengthSec, -1);
  EXPECT_EQ(read.playlist[1].file, "");
  EXPECT_EQ(read.current, 1u);
  EXPECT_EQ(read.positionMs, 61500);
  EXPECT_EQ(read.volume, 17);
  EXPECT_EQ(read.captionSuffix, "");
  EXPECT_EQ(read.rawCaption, written.rawCaption);
  EXPECT_EQ(read.answerDelayMs, 250);
  EXPECT_EQ(read.firstQueryHangMs, kHangForever);
  EXPECT_EQ(read.startDelayMs, 1500);
  EXPECT_EQ(read.logPath, "C:\\t\\sim.log");
  EXPECT_TRUE(read.launcherWindowlessChild);
  EXPECT_EQ(read.launcherPlayerAfterMs, 200);
}

TEST(SimOptions, Utf8CaptionScrollingAndSlowCommands) {
  PlayerSimOptions written;
  written.utf8Caption = "1. Кино - Winamp";
  written.scrollMs = 120;
  written.commandDelayMs = 80;
  const SimOptions read = ParseSimOptions(FormatPlayerSimConfig(written, ""));
  EXPECT_EQ(read.commandDelayMs, 80);
  EXPECT_EQ(read.rawCaption, written.utf8Caption);
  EXPECT_TRUE(read.unicodeWindow);
  EXPECT_EQ(read.scrollMs, 120);
}

TEST(SimOptions, PlayersThatIgnoreTheirCommandLineKnowNoPositionOrEndByThemselves) {
  const SimOptions defaults = ParseSimOptions(FormatPlayerSimConfig(PlayerSimOptions(), ""));
  EXPECT_FALSE(defaults.ignoreCommandLine);
  EXPECT_LT(defaults.exitAfterMs, 0) << "a default player must not end by itself";
  EXPECT_FALSE(defaults.exitAtStart);
  EXPECT_TRUE(defaults.reportsPosition);

  PlayerSimOptions written;
  written.ignoreCommandLine = true;
  written.exitAfterMs = 0;
  written.exitAtStart = true;
  written.reportsPosition = false;
  const SimOptions read = ParseSimOptions(FormatPlayerSimConfig(written, ""));
  EXPECT_TRUE(read.ignoreCommandLine);
  EXPECT_EQ(read.exitAfterMs, 0);
  EXPECT_TRUE(read.exitAtStart);
  EXPECT_FALSE(InitialRuntime(read, 0).reportsPosition);
}

TEST(SimOptions, AbsentOrUnreadableValuesKeepTheDefaults) {
  const SimOptions read = ParseSimOptions("[player]\nstate=flying\nvolume=loud\n; caption=x\ntrack=No length\n");
  EXPECT_EQ(read.state, PlayState::Playing);
  EXPECT_EQ(read.volume, 200);
  EXPECT_FALSE(read.rawCaption.has_value());
  EXPECT_EQ(read.captionSuffix, " - Winamp");
  ASSERT_EQ(read.playlist.size(), 1u);
  EXPECT_EQ(read.playlist[0].title, "No length");
  EXPECT_EQ(read.playlist[0].lengthSec, kDefaultTrackLengthSec);
}

TEST(SimOptions, InitialModelHonoursStateAndPosition) {
  SimOptions options;
  options.state = PlayState::Paused;
  options.positionMs = 61500;
  options.current = 7;
  const PlayerModel paused = InitialModel(options, 1000);
  EXPECT_EQ(PositionMs(paused, 5000), 61500);
  EXPECT_EQ(static_cast<size_t>(paused.current), paused.playlist.size() - 1);

  options.state = PlayState::Stopped;
  EXPECT_EQ(PositionMs(InitialModel(options, 1000), 5000), 0);
}

TEST(SimValues, IntegersMustBeWholeAndFit) {
  int value = 7;
  EXPECT_TRUE(ParseInt("-666", &value));
  EXPECT_EQ(value, -666);
  EXPECT_TRUE(ParseInt("2147483647", &value));
  EXPECT_FALSE(ParseInt("2147483648", &value));
  EXPECT_FALSE(ParseInt("12ms", &value));
  EXPECT_FALSE(ParseInt("", &value));
  EXPECT_FALSE(ParseInt("-", &value));
  EXPECT_EQ(value, 2147483647);
}

TEST(SimValues, TrackEntriesNameAFileOnlyAfterAReadableLength) {
  struct Case {
    const char* entry;
    const char* title;
    int lengthSec;
    const char* file;
  };
  const Case cases[] = {
      {"A - B|90", "A - B", 90, ""},
      {"A | B - C|90", "A | B - C", 90, ""},
      {"A - B|90|C:\\x y\\b.mp3", "A - B", 90, "C:\\x y\\b.mp3"},
      {"A - B|90|", "A - B", 90, ""},
      {"A - B|x|C:\\b.mp3", "A - B|x|C:\\b.mp3", kDefaultTrackLengthSec, ""},
      {"A - B|90|7", "A - B|90", 7, ""},  // a file named by a bare number reads as a length
  };
  for (const Case& c : cases) {
    const Track track = ParseTrackEntry(c.entry);
    EXPECT_EQ(track.title, c.title) << c.entry;
    EXPECT_EQ(track.lengthSec, c.lengthSec) << c.entry;
    EXPECT_EQ(track.file, c.file) << c.entry;
  }
  const std::vector<Track> list = ParseTrackEntryList("A|1|C:\\a.mp3;;B|2;");
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].file, "C:\\a.mp3");
  EXPECT_EQ(list[1].title, "B");
}

TEST(SimControl, PlaylistEditsKeepTheStateAndTheReversedCurrentEntryFollowsItsSong) {
  SimOptions options;
  options.state = PlayState::Paused;
  options.positionMs = 5000;
  PlayerRuntime runtime = InitialRuntime(options, 0);
  runtime = *ApplyControl(runtime, "playlist-reverse", 100);
  EXPECT_EQ(runtime.model.current, 2);
  EXPECT_EQ(CurrentTrack(runtime.model)->title, "Northwind Choir - Harbour Lights");
  EXPECT_EQ(PositionMs(runtime.model, 100), 5000);

  runtime = *ApplyControl(runtime, "playlist X - One|100|C:\\x\\one.mp3;Y - Two|50", 200);
  ASSERT_EQ(runtime.model.playlist.size(), 2u);
  EXPECT_EQ(runtime.model.playlist[0].file, "C:\\x\\one.mp3");
  EXPECT_EQ(runtime.model.current, 0);
  EXPECT_EQ(runtime.model.state, PlayState::Paused);
  EXPECT_EQ(PositionMs(runtime.model, 300), 0);
  // A song picked in the player's own playlist plays from its start.
  runtime = *ApplyControl(runtime, "play 1", 250);
  EXPECT_EQ(runtime.model.current, 1);
  EXPECT_EQ(runtime.model.state, PlayState::Playing);
  EXPECT_EQ(PositionMs(runtime.model, 250), 0);

  runtime = *ApplyControl(runtime, "playlist", 300);
  EXPECT_TRUE(runtime.model.playlist.empty());
  EXPECT_EQ(runtime.model.current, kNoEntry);
  EXPECT_EQ(runtime.model.state, PlayState::Stopped);
}

TEST(SimControl, CommandsChangeTheRuntime) {
  SimOptions options;
  PlayerRuntime runtime = InitialRuntime(options, 0);

  runtime = *ApplyControl(runtime, "state paused", 1000);
  EXPECT_EQ(runtime.model.state, PlayState::Paused);
  runtime = *ApplyControl(runtime, "position 4000", 1000);
  EXPECT_EQ(PositionMs(runtime.model, 9000), 4000);
  runtime = *ApplyControl(runtime, "length -1", 1000);
  EXPECT_EQ(CurrentLengthSec(runtime.model), -1);
  runtime = *ApplyControl(runtime, "title X - Y", 1000);
  EXPECT_EQ(CurrentCaption(runtime), "1. X - Y - Winamp [Paused]");
  runtime = *ApplyControl(runtime, "hang -1", 1000);
  EXPECT_EQ(runtime.pendingHangMs, kHangForever);
  runtime = *ApplyControl(runtime, "delay 300", 1000);
  EXPECT_EQ(runtime.answerDelayMs, 300);
}

TEST(SimControl, RawCaptionIsTakenAsWrittenUntilAutoReturns) {
  PlayerRuntime runtime = InitialRuntime(SimOptions(), 0);
  const std::string composed = CurrentCaption(runtime);
  runtime = *ApplyControl(runtime, "caption  two  blanks ", 0);
  EXPECT_EQ(CurrentCaption(runtime), " two  blanks ");
  runtime = *ApplyControl(runtime, "caption", 0);
  EXPECT_EQ(CurrentCaption(runtime), "");
  runtime = *ApplyControl(runtime, "caption-auto", 0);
  EXPECT_EQ(CurrentCaption(runtime), composed);
}

TEST(SimControl, ScrollingTurnsTheCaptionOneCharacterAStep) {
  SimOptions options;
  options.rawCaption = "1. A - B - Winamp";
  options.scrollMs = 100;
  PlayerRuntime runtime = InitialRuntime(options, 0);
  EXPECT_EQ(CurrentCaption(runtime), "1. A - B - Winamp *** ");
  runtime.scrollStep = 22 + 3;  // once round and three more
  EXPECT_EQ(CurrentCaption(runtime), "A - B - Winamp *** 1. ");
  // UTF-8 turns by whole characters.
  EXPECT_EQ(RotateCaption("Жук", 1, true), "укЖ");
  EXPECT_EQ(RotateCaption("ab", 1, false), "ba");
}

TEST(SimControl, UnknownCommandsAndBadArgumentsAreRefused) {
  const PlayerRuntime runtime = InitialRuntime(SimOptions(), 0);
  for (const char* command : {"", "bogus", "state flying", "hang soon", "hang -2", "delay -5", "position", "length 3s",
                              "playlist-reverse now", "play 3", "play -1"}) {
    EXPECT_FALSE(ApplyControl(runtime, command, 0).has_value()) << command;
  }
}

TEST(SimControl, RetitlingNeedsACurrentEntry) {
  PlayerRuntime runtime = InitialRuntime(SimOptions(), 0);
  runtime.model = ClearPlaylist(runtime.model);
  EXPECT_FALSE(ApplyControl(runtime, "title X - Y", 0).has_value());
  EXPECT_FALSE(ApplyControl(runtime, "length 10", 0).has_value());
  EXPECT_FALSE(ApplyControl(runtime, "file C:\\a.mp3", 0).has_value());
  EXPECT_EQ(CurrentCaption(*ApplyControl(runtime, "state playing", 0)), "Winamp");
}

TEST(SimLog, LinesReadBackAsWritten) {
  const auto entry = ParsePlayerSimLogLine(FormatLogLine(1234, "COPYDATA", "/ADD \"C:\\b.mp3\"\r\nx"));
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->tick, 1234u);
  EXPECT_EQ(entry->kind, "COPYDATA");
  EXPECT_EQ(entry->args, "/ADD \"C:\\b.mp3\"  x");

  const auto bare = ParsePlayerSimLogLine(FormatLogLine(5, "EXIT", ""));
  ASSERT_TRUE(bare.has_value());
  EXPECT_EQ(bare->kind, "EXIT");
  EXPECT_EQ(bare->args, "");

  EXPECT_FALSE(ParsePlayerSimLogLine("garbage line").has_value());
}
