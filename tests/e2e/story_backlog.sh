#!/usr/bin/env bash
# The real game in Xvfb: a scene of the story, three lines advanced with Enter, then the mouse
# wheel over the picture opens the backlog, which must show those three lines (three blocks
# of text: two narrated lines and one with its speaker's name above it).
# Usage: story_backlog.sh GAME_DIR ARTIFACT_DIR X11_CLOSE
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/game_session.bash"
e2e_begin "$@"
# The quickest text speed, so the lines are whole long before each key.
mkdir -p "$work/config/luminaria"
printf '[game]\nchar_delay_ms=10\n' > "$work/config/luminaria/settings.ini"

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd "$1"
source ./game_session.bash
e2e_start --scene story5
wait_caption "ＳＴＯＲＹ ＭＯＤＥ"
# The story page (451 x 453) is centred in the 725 x 493 window.
px=$((ox + 137)); py=$((oy + 20))
xdotool mousemove $((px + 220)) $((py + 160))
sleep 2
for _ in 1 2; do xdotool key Return; sleep 2; done
xdotool click 4
sleep 1
import -window "$win" "$2/story_backlog.png"
close_game $pid "$win" game.log
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 800x600x24 -noreset" "$work/run.sh" "$work" "$artifacts"

shot="$artifacts/story_backlog.png"
# The backlog's text area, rows that hold bright text; a gap of 6 rows or more parts blocks.
blocks=$(convert "$shot" -crop 420x370+150+55 +repage -colorspace Gray -threshold 80% \
           -scale 1x370! -depth 8 txt:- |
         awk -F'[,:() ]+' 'NR > 1 { if ($4 > 0) { if (gap >= 6 || n == 0) n++; gap = 0 } else gap++ }
                           END { print n + 0 }')
# The panel covers the picture: its dark ground where the sky was.
ground=$(convert "$shot" -crop 20x20+420+360 +repage -colorspace Gray -format '%[fx:mean]' info:)
echo "blocks of text in the backlog: $blocks, ground: $ground"
[ "$blocks" -eq 3 ] || { echo "the backlog does not show the three lines"; exit 1; }
awk -v g="$ground" 'BEGIN { exit !(g < 0.25) }' || { echo "no backlog panel"; exit 1; }
echo "screenshot: $shot"
