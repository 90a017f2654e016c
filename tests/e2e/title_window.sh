#!/usr/bin/env bash
# Starts the real game in Xvfb, waits for the title window, saves a screenshot and checks
# that the window carries its caption and that the title text was drawn.
# Usage: title_window.sh GAME_DIR ARTIFACT_DIR X11_CLOSE
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/game_session.bash"
e2e_begin "$@"

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd "$1"
source ./game_session.bash
e2e_start
xprop -id "$win" _NET_WM_NAME > title.txt
import -window "$win" "$2/title_window.png"
# Closed like a window manager closes it: the game must end by itself, cleanly.
close_game $pid "$win" game.log
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 800x600x24 -noreset" "$work/run.sh" "$work" "$artifacts"

grep -qx '_NET_WM_NAME(UTF8_STRING) = "【ルミナリア】 ver1.2"' "$work/title.txt" || {
  echo "window caption wrong: $(cat "$work/title.txt")"; exit 1; }

# The title "ルミナリア" is drawn in light colours on a dark sky: its band must hold bright
# pixels, and the picture as a whole must not be one flat colour.
shot="$artifacts/title_window.png"
bright=$(convert "$shot" -crop 725x80+0+88 +repage -colorspace Gray -format '%[fx:maxima]' info:)
spread=$(convert "$shot" -colorspace Gray -format '%[fx:standard_deviation]' info:)
echo "title band brightest: $bright, picture spread: $spread"
awk -v b="$bright" -v s="$spread" 'BEGIN { exit !(b > 0.8 && s > 0.05) }' || {
  echo "the title window does not look drawn"; exit 1; }
echo "screenshot: $shot"
