// The stand-in player's main window and its procedure.
#include "testbed/player/sim_window.h"

#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "testbed/player/player_sim_protocol.h"
#include "testbed/player/sim_command_line.h"
#include "testbed/player/sim_log.h"
#include "testbed/player/sim_paint.h"
#include "testbed/player/sim_prefs_window.h"
#include "testbed/player/sim_state.h"
#include "testbed/player/sim_titles.h"
#include "testbed/player/sim_values.h"

namespace player_sim {
namespace {

constexpr int kWindowWidth = 275;
constexpr int kWindowHeight = 116;
constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockTimerMs = 250;
constexpr UINT_PTR kScrollTimer = 2;
constexpr UINT_PTR kExitTimer = 3;

void SetCaption(HWND window, const std::string& caption) {
  if (simState.runtime.unicodeWindow) {
    SetWindowTextW(window, WideFromUtf8(caption).c_str());
  } else {
    SetWindowTextA(window, caption.c_str());
  }
}

// Brings the caption and the face up to date after anything that may have
// changed what the player shows. The caption is what the plug-in reads, so
// it is set only when it really changes.
void RefreshView(HWND window) {
  const std::string caption = CurrentCaption(simState.runtime);
  if (caption != simState.shownCaption) {
    simState.shownCaption = caption;
    SetCaption(window, caption);
  }
  InvalidateRect(window, nullptr, FALSE);
}

void WaitBeforeAnswer() {
  PlayerRuntime& runtime = simState.runtime;
  if (runtime.pendingHangMs != 0) {
    const DWORD hang = runtime.pendingHangMs == kHangForever ? INFINITE : static_cast<DWORD>(runtime.pendingHangMs);
    runtime.pendingHangMs = 0;
    Sleep(hang);
  }
  if (runtime.answerDelayMs > 0) Sleep(static_cast<DWORD>(runtime.answerDelayMs));
}

// What a player answers without changing anything it shows.
bool IsQuestion(int32_t wParam, int32_t code) {
  switch (code) {
    case kQueryStatus:
    case kQueryTime:
    case kPlaylistLength:
    case kPlaylistPosition:
    case kPlaylistFile:
    case kPlaylistTitle:
    case kPlaylistTitleWide:
    case kPlaylistFileWide:
    case kShuffleQuery:
    case kRepeatQuery:
      return true;
    case kVolume:
      return wParam == static_cast<int32_t>(kVolumeQuery);
    default:
      return false;
  }
}

// 211 to 214: where an entry's texts are; nothing for any other code.
std::optional<uintptr_t> EntryTextAnswer(int32_t index, int32_t code) {
  switch (code) {
    case kPlaylistFile:
      return EntryTextAddress(simState.runtime, index, EntryText::File, false);
    case kPlaylistTitle:
      return EntryTextAddress(simState.runtime, index, EntryText::Title, false);
    case kPlaylistTitleWide:
      return EntryTextAddress(simState.runtime, index, EntryText::Title, true);
    case kPlaylistFileWide:
      return EntryTextAddress(simState.runtime, index, EntryText::File, true);
    default:
      return std::nullopt;
  }
}

// Judged against the playlist as the choice is carried out, so a test can
// assert that no choice ever fell outside it.
void LogPlaylistChoice(int32_t index) {
  const bool inside = index >= 0 && static_cast<size_t>(index) < simState.runtime.model.playlist.size();
  LogEvent("SETPOS", std::to_string(index) + (inside ? "" : " OUTSIDE"));
}

LRESULT OnQuery(HWND window, WPARAM wParam, LPARAM lParam) {
  const auto signedWParam = static_cast<int32_t>(wParam);
  const auto code = static_cast<int32_t>(lParam);
  // The clock's tick keeps the face up to date between changes.
  const bool quiet = simState.runtime.quietQuestions && IsQuestion(signedWParam, code);
  if (!quiet) LogEvent("USER", std::to_string(signedWParam) + " " + std::to_string(code));
  WaitBeforeAnswer();
  // A player busy elsewhere may clear its playlist after its sender gave up.
  if (code == kClearPlaylist && simState.runtime.clearDelayMs > 0) Sleep(static_cast<DWORD>(simState.runtime.clearDelayMs));
  // Some players know no position: they answer 0 and ignore a seek.
  if (!simState.runtime.reportsPosition && (code == kQueryTime || code == kSeek)) return 0;
  if (const std::optional<uintptr_t> address = EntryTextAnswer(signedWParam, code)) {
    return static_cast<LRESULT>(*address);
  }
  if (code == kSetPlaylistPosition) LogPlaylistChoice(signedWParam);
  // Moved, not copied: a long playlist would make every answer slow.
  QueryResult result = AnswerQuery(std::move(simState.runtime.model), signedWParam, code, GetTickCount());
  simState.runtime.model = std::move(result.model);
  if (!quiet) RefreshView(window);
  return result.answer;
}

void OnCommand(HWND window, WPARAM wParam) {
  LogEvent("COMMAND", std::to_string(wParam));
  if (simState.runtime.commandDelayMs > 0) Sleep(static_cast<DWORD>(simState.runtime.commandDelayMs));
  switch (LOWORD(wParam)) {
    case kCmdClose:
      DestroyWindow(window);
      return;
    case kCmdPreferences:
      ShowPreferencesWindow(window);
      return;
    case kCmdOpenFile:
      // A real open dialog would be modal and hold whoever sent the command;
      // the log line is all a test needs to see.
      return;
    default:
      simState.runtime.model = ApplyCommand(std::move(simState.runtime.model), LOWORD(wParam), GetTickCount());
      RefreshView(window);
      return;
  }
}

// The sender's text, cut at its first NUL and never read past cbData.
std::string CopyDataText(const COPYDATASTRUCT& data) {
  if (!data.lpData) return std::string();
  const auto* bytes = static_cast<const char*>(data.lpData);
  const void* nul = memchr(bytes, '\0', data.cbData);
  const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - bytes) : data.cbData;
  return std::string(bytes, length);
}

// The same for UTF-16 text: whole characters only.
std::wstring CopyDataWideText(const COPYDATASTRUCT& data) {
  if (!data.lpData) return std::wstring();
  std::wstring text(data.cbData / sizeof(wchar_t), L'\0');
  if (!text.empty()) memcpy(&text[0], data.lpData, text.size() * sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}

// A file handed over by the player's protocol joins the end of the playlist,
// named in the window's own characters; a name that is empty is refused.
// The log line is written once the file is in, so its tick says when the
// player had it.
LRESULT AppendFile(HWND window, std::string_view kind, const std::string& logName, const std::string& windowName) {
  WaitBeforeAnswer();
  const bool taken = !windowName.empty();
  if (taken) {
    const uint32_t now = GetTickCount();
    simState.runtime.model = AppendTracks(Settle(std::move(simState.runtime.model), now), {TrackForFile(windowName)});
    RefreshView(window);
  }
  LogEvent(kind, "\"" + logName + "\"");
  return taken;
}

LRESULT OnCopyData(HWND window, const COPYDATASTRUCT* data) {
  if (!data) return FALSE;
  const bool unicode = simState.runtime.unicodeWindow;
  if (data->dwData == kCopyAppendFile) {
    const std::string name = CopyDataText(*data);
    return AppendFile(window, "ENQUEUE", name, unicode ? Utf8FromWide(WideFromAnsi(name)) : name);
  }
  if (data->dwData == kCopyAppendFileWide) {
    const std::wstring name = CopyDataWideText(*data);
    const std::string utf8 = Utf8FromWide(name);
    return AppendFile(window, "ENQUEUEW", utf8, unicode ? utf8 : AnsiFromWide(name));
  }
  const std::string text = CopyDataText(*data);
  const uint32_t now = GetTickCount();
  if (data->dwData == kCopyCommandLine) {
    LogEvent("COPYDATA", text);
    simState.runtime.model = ApplyFileArguments(Settle(std::move(simState.runtime.model), now), text, now);
  } else if (data->dwData == kCopyControl) {
    LogEvent("CONTROL", text);
    std::optional<PlayerRuntime> changed = ApplyControl(simState.runtime, text, now);
    if (!changed) return FALSE;
    simState.runtime = std::move(*changed);
  } else {
    return FALSE;
  }
  RefreshView(window);
  return TRUE;
}

void OnClockTick(HWND window) {
  simState.runtime.model = Settle(std::move(simState.runtime.model), GetTickCount());
  RefreshView(window);
}

void OnScrollTick(HWND window) {
  ++simState.runtime.scrollStep;
  RefreshView(window);
}

void OnPaint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  PaintPlayer(dc, client, simState.runtime, GetTickCount());
  EndPaint(window, &paint);
}

// What a sender cannot see for itself: when its command got here.
LONG lastCommandArrival = 0;

LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kQueryMessage:
      if (lParam == kLastCommandArrival) return lastCommandArrival;
      return OnQuery(window, wParam, lParam);
    case WM_COMMAND: {
      LARGE_INTEGER now;
      QueryPerformanceCounter(&now);
      lastCommandArrival = static_cast<LONG>(now.LowPart);
      OnCommand(window, wParam);
      return 0;
    }
    case WM_COPYDATA:
      return OnCopyData(window, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_TIMER:
      if (wParam == kClockTimer) OnClockTick(window);
      if (wParam == kScrollTimer) OnScrollTick(window);
      if (wParam == kExitTimer) DestroyWindow(window);
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_DESTROY:
      KillTimer(window, kClockTimer);
      KillTimer(window, kScrollTimer);
      KillTimer(window, kExitTimer);
      PostQuitMessage(0);
      return 0;
    default:
      // A Unicode window's text messages carry UTF-16.
      return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                     : DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK PlayerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  try {
    return HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    // Out of memory in a handler: the message is dropped, the player lives.
    return 0;
  }
}

}  // namespace

bool RegisterPlayerClass(HINSTANCE instance) {
  // The class's character set decides whether its windows are Unicode.
  if (simState.runtime.unicodeWindow) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = PlayerWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    const std::wstring className = WideFromUtf8(kPlayerWindowClass);
    windowClass.lpszClassName = className.c_str();
    return RegisterClassExW(&windowClass) != 0;
  }
  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = PlayerWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kPlayerWindowClass;
  return RegisterClassExA(&windowClass) != 0;
}

HWND CreatePlayerWindow(HINSTANCE instance, int showCommand, int exitAfterMs) {
  simState.shownCaption = CurrentCaption(simState.runtime);
  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  HWND window = nullptr;
  if (simState.runtime.unicodeWindow) {
    window = CreateWindowExW(0, WideFromUtf8(kPlayerWindowClass).c_str(), WideFromUtf8(simState.shownCaption).c_str(),
                             kStyle, CW_USEDEFAULT, CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr, nullptr,
                             instance, nullptr);
  } else {
    window = CreateWindowExA(0, kPlayerWindowClass, simState.shownCaption.c_str(), kStyle, CW_USEDEFAULT,
                             CW_USEDEFAULT, kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
  }
  if (!window) return nullptr;
  SetTimer(window, kClockTimer, kClockTimerMs, nullptr);
  if (simState.runtime.scrollMs > 0) SetTimer(window, kScrollTimer, static_cast<UINT>(simState.runtime.scrollMs), nullptr);
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  // A player that came and went: its window was there, then it is not.
  if (exitAfterMs == 0) {
    DestroyWindow(window);
  } else if (exitAfterMs > 0) {
    SetTimer(window, kExitTimer, static_cast<UINT>(exitAfterMs), nullptr);
  }
  return window;
}

}  // namespace player_sim
