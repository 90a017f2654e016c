#!/usr/bin/env bash
# The real game in Xvfb: title → 最初からする → はい → travel → m0, the stage-0 battle. Saves
# screenshots of the enemy's speech and of the first turn, and checks the caption, the board,
# the speech line and the command menu.
# Usage: battle_window.sh GAME_DIR ARTIFACT_DIR X11_CLOSE
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/game_session.bash"
e2e_begin "$@"

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd "$1"
source ./game_session.bash
e2e_start
new_game
xdotool mousemove $((ox + 68)) $((oy + 247)) click 1     # m0: the stage-0 battle
wait_caption "【ルミナリア】 ver1.2" || true
sleep 0.2
xprop -id "$win" _NET_WM_NAME > title.txt
import -window "$win" "$2/battle_speech.png"
# The speech stays 3 x 500 ms a line; then the hero's first turn opens.
for _ in $(seq 1 40); do
  sleep 0.25
  import -window "$win" "$2/battle_window.png"
  c=$(convert "$2/battle_window.png" -crop 1x1+460+24 +repage -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:)
  [ "$c" = "74,66,116" ] && break
done
close_game $pid "$win" game.log
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 800x600x24 -noreset" "$work/run.sh" "$work" "$artifacts"

grep -qx '_NET_WM_NAME(UTF8_STRING) = "【ルミナリア】 ver1.2"' "$work/title.txt" || {
  echo "window caption wrong: $(cat "$work/title.txt")"; exit 1; }
speech="$artifacts/battle_speech.png"
shot="$artifacts/battle_window.png"
# The board is a drawn map with units; the speech line lies dark over its foot with light text;
# once the turn opens, the command menu's first button is lit: it has the keys.
board=$(convert "$shot" -crop 448x320+1+1 +repage -colorspace Gray -format '%[fx:standard_deviation]' info:)
line_dark=$(convert "$speech" -crop 440x8+5+306 +repage -colorspace Gray -format '%[fx:mean]' info:)
line_text=$(convert "$speech" -crop 440x30+5+278 +repage -colorspace Gray -format '%[fx:maxima]' info:)
button=$(convert "$shot" -crop 1x1+460+24 +repage -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:)
echo "board spread: $board, speech line: mean $line_dark max $line_text, 移動 button: $button"
awk -v s="$board" -v d="$line_dark" -v t="$line_text" 'BEGIN { exit !(s > 0.05 && d < 0.3 && t > 0.8) }' || {
  echo "the battle screen does not look drawn"; exit 1; }
[ "$button" = "74,66,116" ] || { echo "the command menu did not open"; exit 1; }
echo "screenshots: $speech $shot"
