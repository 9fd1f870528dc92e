#!/usr/bin/env bash
# Builds the release and prints every figure in one table: the released
# Pelorin.plg's size against its budget, then what each *_benchmark.exe in
# the build reports. A benchmark prints each figure as one line
#   figure: <name> | <value and unit> | <bound or -> | <holds|FAILS|->
# and anything else it prints is left out of the table. Exits non-zero only
# when a benchmark could not run; a figure that misses its bound shows as
# FAILS. BUILD_DIR picks the build folder (default build/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
size_budget=$((136 * 1024))

BUILD_TYPE=MinSizeRel "$root/scripts/build.sh" "$build" >/dev/null

. "$root/scripts/wine-session.sh"
trap wine_session_end EXIT
wine_session_start "$build"

plugin=$build/bin/Plugins/Pelorin.plg
size=$(stat -c %s "$plugin")
holds=holds
[ "$size" -le $size_budget ] || holds=FAILS
figures=("figure: Pelorin.plg size (release) | $size bytes | <= $size_budget bytes (136 KB) | $holds")

status=0
cd "$build/bin"
for benchmark in *_benchmark.exe; do
  [ -e "$benchmark" ] || continue
  echo "bench: running $benchmark" >&2
  if output=$(timeout 900 wine "./$benchmark" 2>/dev/null </dev/null); then
    found=$(printf '%s\n' "$output" | tr -d '\r' | grep '^figure: ' || true)
    if [ -n "$found" ]; then
      mapfile -t -O ${#figures[@]} figures <<<"$found"
    else
      figures+=("figure: ${benchmark%.exe} | printed no figures | - | -")
    fi
  else
    figures+=("figure: ${benchmark%.exe} | did not run (exit $?) | - | FAILS")
    status=1
  fi
done

printf '%s\n' "${figures[@]}" | sed 's/^figure: //' |
  awk -F' *[|] *' '
    BEGIN { n = 1; cell[1,1] = "figure"; cell[1,2] = "value"; cell[1,3] = "bound"; cell[1,4] = "holds" }
    { sub(/[ \t]+$/, ""); n++; for (i = 1; i <= 4; i++) cell[n,i] = $i }
    END {
      for (r = 1; r <= n; r++) for (i = 1; i <= 4; i++) if (length(cell[r,i]) > w[i]) w[i] = length(cell[r,i])
      format = "%-" w[1] "s  %-" w[2] "s  %-" w[3] "s  %s\n"
      for (r = 1; r <= n; r++) {
        printf format, cell[r,1], cell[r,2], cell[r,3], cell[r,4]
        if (r > 1) continue
        rule = ""
        for (i = 0; i < w[1] + w[2] + w[3] + w[4] + 6; i++) rule = rule "-"
        print rule
      }
    }'
exit $status
