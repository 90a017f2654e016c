#!/usr/bin/env bash
# The real game in Xvfb: title → 最初からする → はい → the travel screen. Saves a screenshot
# and checks the caption, the map and the white message line.
# Usage: travel_window.sh GAME_DIR ARTIFACT_DIR
set -euo pipefail
game_dir=$1
artifacts=$2
mkdir -p "$artifacts"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$game_dir"/. "$work"/

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd "$1"
XDG_CONFIG_HOME="$1/config" SDL_AUDIODRIVER=dummy LUM_NO_MUSIC=1 ./luminaria > game.log 2>&1 &
pid=$!
win=""
for _ in $(seq 1 150); do
  win=$(xwininfo -root -tree 2>/dev/null | awk '/725x493\+/ {print $1; exit}')
  [ -n "$win" ] && break
  kill -0 $pid 2>/dev/null || { echo "the game exited early"; cat game.log; exit 1; }
  sleep 0.1
done
[ -n "$win" ] || { echo "no 725x493 window appeared"; cat game.log; exit 1; }
sleep 1.0
read -r ox oy < <(xwininfo -id "$win" | awk '/Absolute upper-left X/{x=$4}/Absolute upper-left Y/{y=$4}END{print x, y}')
xdotool mousemove $((ox + 362)) $((oy + 316)) click 1   # 最初からする
sleep 0.8
xdotool key Return                                       # はい
sleep 1.2
xprop -id "$win" _NET_WM_NAME > title.txt
import -window "$win" "$2/travel_window.png"
kill $pid
wait $pid 2>/dev/null || true
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 800x600x24" "$work/run.sh" "$work" "$artifacts"

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
