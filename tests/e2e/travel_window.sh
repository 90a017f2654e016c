#!/usr/bin/env bash
# The real game in Xvfb: title → 最初からする → はい → the travel screen. Saves a screenshot
# and checks the caption, the map and the white message line.
# Usage: travel_window.sh GAME_DIR ARTIFACT_DIR X11_CLOSE
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/game_session.bash"
e2e_begin "$@"

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd "$1"
source ./game_session.bash
e2e_start
new_game || true   # the caption check below reports what went wrong
xprop -id "$win" _NET_WM_NAME > title.txt
import -window "$win" "$2/travel_window.png"
close_game $pid "$win" game.log
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 800x600x24 -noreset" "$work/run.sh" "$work" "$artifacts"

grep -qx '_NET_WM_NAME(UTF8_STRING) = "ＴＲＡＶＥＬ ＭＯＤＥ"' "$work/title.txt" || {
  echo "window caption wrong: $(cat "$work/title.txt")"; exit 1; }
shot="$artifacts/travel_window.png"
# The home map is green land and blue water: its area has colour and detail; the message line
# below it is white.
map_spread=$(convert "$shot" -crop 433x297+9+18 +repage -colorspace Gray -format '%[fx:standard_deviation]' info:)
line=$(convert "$shot" -crop 20x10+420+330 +repage -format '%[fx:minima]' info:)
echo "map spread: $map_spread, message line darkest: $line"
awk -v s="$map_spread" -v l="$line" 'BEGIN { exit !(s > 0.05 && l > 0.95) }' || {
  echo "the travel screen does not look drawn"; exit 1; }
echo "screenshot: $shot"
