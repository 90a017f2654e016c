#!/usr/bin/env bash
# Starts the real game in Xvfb, goes to the travel map, opens the guide with F1, keeps a
# screenshot of it, and checks that the guide's panel is drawn over the dimmed map with its
# title, that → turns a page, and that Esc gives the map back.
# Usage: guide_window.sh GAME_DIR ARTIFACT_DIR X11_CLOSE
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/game_session.bash"
e2e_begin "$@"

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd "$1"
source ./game_session.bash
# The colour of a pixel of the window, as "r,g,b".
pixel() {
  import -window "$win" shot.png
  convert shot.png -crop 1x1+"$1"+"$2" +repage -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:
}
# Waits (up to 15 s) until the guide's panel shows at (654, 246), or until it is gone.
wait_panel() {
  for _ in $(seq 1 75); do
    if [ "$(pixel 654 246)" = "18,20,44" ]; then [ "$1" = shown ] && return 0
    else [ "$1" = gone ] && return 0; fi
    sleep 0.2
  done
  echo "the guide's panel was never $1"; return 1
}
e2e_start
new_game
import -window "$win" map.png
xdotool key F1
wait_panel shown
sleep 0.3  # the picture and the text of the page, painted with the panel
import -window "$win" "$2/guide_window.png"
xdotool key Right
for _ in $(seq 1 75); do
  import -window "$win" page2.png
  [ "$(convert page2.png -crop 416x28+232+58 +repage -format '%#' info:)" != \
    "$(convert "$2/guide_window.png" -crop 416x28+232+58 +repage -format '%#' info:)" ] && break
  sleep 0.2
done
xdotool key Escape
wait_panel gone
import -window "$win" closed.png
close_game $pid "$win" game.log
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 800x600x24 -noreset" "$work/run.sh" "$work" "$artifacts"

shot="$artifacts/guide_window.png"
mean() { convert "$1" -crop "$2" +repage -colorspace Gray -format '%[fx:mean]' info:; }

# Its title is drawn in light letters.
bright=$(convert "$shot" -crop 416x28+232+58 +repage -colorspace Gray -format '%[fx:maxima]' info:)
awk -v b="$bright" 'BEGIN { exit !(b > 0.8) }' || { echo "the guide's title is not drawn"; exit 1; }
# The map around the panel is dimmed, and comes back when the guide closes.
before=$(mean "$work/map.png" 60x40+0+0)
dimmed=$(mean "$shot" 60x40+0+0)
after=$(mean "$work/closed.png" 60x40+0+0)
echo "corner brightness: map $before, under the guide $dimmed, after Esc $after"
awk -v a="$before" -v d="$dimmed" -v c="$after" 'BEGIN { exit !(d < a * 0.6 && c > a * 0.9) }' || {
  echo "the screen beneath is not dimmed, or not back after Esc"; exit 1; }
# → turned the page: its title differs.
[ "$(mean "$shot" 416x28+232+58)" != "$(mean "$work/page2.png" 416x28+232+58)" ] || {
  echo "→ did not turn the page"; exit 1; }
echo "screenshot: $shot"
