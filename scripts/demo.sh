#!/usr/bin/env bash
# The main job: builds Pelorin, runs it in the stand-in shell with the
# stand-in player under Wine, plays a short scene in the taskbar and writes
# a screenshot of each step, plus one picture strip of them all. It builds
# only the shell and what the shell needs (the stand-ins and the plug-in).
#
# Without a display it runs in Xvfb and ends when the scene is done. With
# one (DISPLAY set) the shell stays up afterwards for you to use; close its
# "Mirel" window to end. BUILD_DIR picks the build folder (default build/),
# DEMO_OUT the pictures' folder (default $BUILD_DIR/demo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
out=${DEMO_OUT:-$build/demo}
bin=$build/bin

"$root/scripts/build.sh" "$build" mirel_shell

. "$root/scripts/wine-session.sh"
trap wine_session_end EXIT
wine_session_start "$build"
person_watching=no
[ -z "$PELORIN_XVFB_PID" ] && person_watching=yes

rm -rf "$out"
mkdir -p "$out/shots"
out=$(cd "$out" && pwd)
winpath() { winepath -w "$1" 2>/dev/null; }

# The player's options reach it through the environment, also when the
# plug-in starts it through the shell.
cp "$root/testbed/demo/player.ini" "$out/player.ini"
echo "log=$(winpath "$out/player.log")" >>"$out/player.ini"
# The song that comes after Next names a file whose tag holds its cover.
convert -size 160x160 gradient:"#1d3557"-"#e76f51" -fill "#f1faee" -draw "circle 80,80 80,34" \
  -fill "#1d3557" -draw "circle 80,80 80,62" "$out/harbour-cover.jpg"
python3 "$root/scripts/cover_song.py" "$out/Harbour Song.mp3" "$out/harbour-cover.jpg" "The Paper Boats" "Harbour Song"
sed -i "s#^track=The Paper Boats - Harbour Song|187\$#&|$(winpath "$out/Harbour Song.mp3" | sed 's/[\\&#]/\\&/g')#" "$out/player.ini"
# The songs the scene drops, each with a cover of its own, where the scene
# names them.
music=$WINEPREFIX/drive_c/Music
mkdir -p "$music"
convert -size 160x160 gradient:"#0b132b"-"#3a506b" -fill "#f4d35e" -draw "circle 80,80 80,36" \
  -fill "#1c2541" -draw "circle 100,66 100,26" "$out/paper-moon-cover.jpg"
convert -size 160x160 gradient:"#4361ee"-"#f72585" -fill "#f8f9fa" -draw "rectangle 30,110 130,118" \
  "$out/blue-hour-cover.jpg"
python3 "$root/scripts/cover_song.py" "$music/Lena Hart - Paper Moon.mp3" "$out/paper-moon-cover.jpg" "Lena Hart" "Paper Moon"
python3 "$root/scripts/cover_song.py" "$music/Lena Hart - Blue Hour.mp3" "$out/blue-hour-cover.jpg" "Lena Hart" "Blue Hour"
export PELORIN_SIM_CONFIG
PELORIN_SIM_CONFIG=$(winpath "$out/player.ini")

cat >"$out/mirel.ini" <<INI
[Pelorin]
Winamp Path=$(winpath "$bin/player_sim.exe")
Buttons tips=1
Position=1
Run Minimized=0
INI

shell_args=(--store="$(winpath "$out/mirel.ini")" --scene="$(winpath "$root/testbed/demo/demo.scene")"
            --shots="$(winpath "$out/shots")")
cd "$bin"
if [ $person_watching = no ]; then
  shell_args+=(--exit-when-done --exit-after=180000)
  wine ./mirel_shell.exe "${shell_args[@]}"
else
  wine ./mirel_shell.exe "${shell_args[@]}" &
  shell_pid=$!
  for _ in $(seq 600); do [ -f "$out/shots/scene-done.txt" ] && break; sleep 0.2; done
fi

if [ ! -f "$out/shots/scene-done.txt" ]; then
  echo "demo: the scene did not finish" >&2
  exit 1
fi
if [ "$(cat "$out/shots/scene-done.txt")" != ok ]; then
  echo "demo: the scene stopped at $(cat "$out/shots/scene-done.txt")" >&2
fi

# One PNG per step, then all of them under each other, enlarged and
# captioned (in the first sans-serif font fontconfig knows, if any).
font=$(fc-match -f '%{file}' sans 2>/dev/null || true)
frames=()
while IFS=$'\t' read -r file caption; do
  name=${file%.bmp}
  convert "$out/shots/$file" "$out/$name.png"
  if [ -n "$font" ]; then
    convert "$out/shots/$file" -scale 300% \
      \( -size 1080x30 -background white -fill black -font "$font" -pointsize 18 -gravity west label:" $caption" \) \
      -append -bordercolor white -border 0x6 "$out/shots/$name-frame.png"
  else
    convert "$out/shots/$file" -scale 300% -bordercolor white -border 0x6 "$out/shots/$name-frame.png"
  fi
  frames+=("$out/shots/$name-frame.png")
  echo "  $out/$name.png  $caption"
done <"$out/shots/shots.txt"
convert "${frames[@]}" -append "$out/demo-strip.png"
echo "  $out/demo-strip.png  every step in one picture"

if [ $person_watching = yes ]; then
  echo "The shell keeps running: try the control in the taskbar; close the Mirel window to end."
  wait "$shell_pid" || true
fi
