# Sourced by the test and demo scripts: a display (Xvfb when none is set),
# the build's own Wine prefix with the settings our tests rely on, and one
# wineserver kept alive for the session. Call wine_session_end on exit.

wine_session_start() {
  local build=$1
  export WINEPREFIX=$build/wineprefix WINEARCH=win32 WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  PELORIN_XVFB_PID=""
  if [ -z "${DISPLAY:-}" ]; then
    local n
    for n in $(seq 90 140); do
      [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || break
    done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    PELORIN_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
  fi
  if [ ! -f "$WINEPREFIX/.pelorin-ready" ]; then
    echo "Creating the Wine prefix in $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # No window manager in Xvfb: unmanaged windows hide and close at once.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # A crash must fail a test, not wait for someone to close a dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.pelorin-ready"
  fi
  wineserver -k 2>/dev/null || true
  wineserver -p
  # Start Wine's background services now, holding none of our pipes: had a
  # test started them, they would keep its output open and ctest would
  # wait for them until the test's time-out.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_session_end() {
  wineserver -k 2>/dev/null || true
  if [ -n "${PELORIN_XVFB_PID:-}" ]; then
    kill "$PELORIN_XVFB_PID" 2>/dev/null || true
    wait "$PELORIN_XVFB_PID" 2>/dev/null || true
  fi
}
