#!/usr/bin/env bash
# Makes the real_player test's Plainamp in a build folder:
#   prepare.sh SOURCE DIR
# runs SOURCE/setup.sh into DIR, makes the two files the test drops (named
# in Cyrillic and in an East Asian script, with titles of their own in
# their tags), and keeps the configuration setup.sh wrote in DIR/pristine,
# which the test puts back before every start (Plainamp rewrites it on exit).
set -euo pipefail
source=$1
dir=$2
rm -f "$dir/.ready"
"$source/setup.sh" "$dir"
mkdir -p "$dir/drops" "$dir/pristine"
python3 "$source/mkmp3.py" "$dir/drops/Звезда - First Drop.mp3" 200 "Drop Artist" "First Drop"
python3 "$source/mkmp3.py" "$dir/drops/東京の夜 - Second Drop.mp3" 200 "Drop Artist" "Second Drop"
# One with a cover of one colour in its tag, for the title tip to show.
convert -size 100x100 "xc:#D02010" -quality 100 "$dir/cover.jpg"
python3 "$source/mkmp3.py" --cover "$dir/cover.jpg" "$dir/drops/Cover Artist - Covered.mp3" 200 "Cover Artist" "Covered"
cp "$dir/Plainamp.ini" "$dir/Plainamp.m3u" "$dir/pristine/"
touch "$dir/.ready"
