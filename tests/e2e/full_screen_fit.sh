#!/usr/bin/env bash
# The real game in Xvfb on a 1280 x 800 screen (a handheld's), full screen from its settings:
# the game fills the height at 800 / 493 ≈ 1.62 with black bars at the sides, a click at the
# screen's own pixels presses the title's button beneath it (the new game's question follows),
# and the travel screen is drawn at the same scale. Saves the screenshots.
# Usage: full_screen_fit.sh GAME_DIR ARTIFACT_DIR X11_CLOSE
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/game_session.bash"
e2e_begin "$@"
mkdir -p "$work/config/luminaria"
printf '[window]\nfull_screen=true\n' > "$work/config/luminaria/settings.ini"

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd "$1"
source ./game_session.bash
e2e_window=1280x800 e2e_start
sleep 1.5
import -window root "$2/full_screen_fit_title.png"
# 最初からする lies at (362, 316) of the game: at 800 / 493 and 52 pixels in from the left.
new_game $((52 + 362 * 800 / 493)) $((316 * 800 / 493))
sleep 0.8
import -window root "$2/full_screen_fit_travel.png"
close_game $pid "$win" game.log
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 1280x800x24 -noreset" "$work/run.sh" "$work" "$artifacts"

# The title's sky reaches the top and the bottom row; the 52 columns at either side are black.
shot="$artifacts/full_screen_fit_title.png"
px() { convert "$shot" -crop 1x1+$1+$2 +repage -format '%[fx:int(255*r)+int(255*g)+int(255*b)]' info:; }
left=$(convert "$shot" -crop 51x800+0+0 +repage -format '%[fx:maxima]' info:)
right=$(convert "$shot" -crop 51x800+1229+0 +repage -format '%[fx:maxima]' info:)
top=$(px 640 0) bottom=$(px 640 799) inner_left=$(px 53 799) inner_right=$(px 1226 799)
echo "bars: left max $left, right max $right; sky at the top $top, at the bottom $bottom," \
     "picture edges $inner_left $inner_right"
awk -v l="$left" -v r="$right" 'BEGIN { exit !(l == 0 && r == 0) }' || {
  echo "the bars at the sides are not black"; exit 1; }
[ "$top" -gt 0 ] && [ "$bottom" -gt 0 ] && [ "$inner_left" -gt 0 ] && [ "$inner_right" -gt 0 ] || {
  echo "the game does not fill the screen's height"; exit 1; }
echo "screenshots: $shot $artifacts/full_screen_fit_travel.png"
