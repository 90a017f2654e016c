#!/usr/bin/env bash
# The real game in Xvfb: the stage-0 battle fought with the keys alone (a step to the left,
# then 体術 on whatever stands in front, by turns) until an amount floats over the board in the
# damage colour; that moment is kept as battle_overlay.png. Checks that the colour is nowhere
# on the board before the first blow, so the find is the number and not the map.
# Usage: battle_overlay.sh GAME_DIR ARTIFACT_DIR X11_CLOSE
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/game_session.bash"
e2e_begin "$@"

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd "$1"
source ./game_session.bash
# Pixels of the board in the damage amounts' colour.
damage_pixels() {
  convert "$1" -crop 448x320+1+1 +repage -fill black +opaque 'rgb(255,92,60)' \
    -fill white -opaque 'rgb(255,92,60)' -format '%[fx:int(mean*w*h+0.5)]' info:
}
lit() {
  [ "$(convert "$1" -crop 1x1+460+24 +repage -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:)" = "74,66,116" ]
}
e2e_start
new_game
xdotool mousemove $((ox + 68)) $((oy + 247)) click 1     # m0: the stage-0 battle
wait_caption "【ルミナリア】 ver1.2" || true
for _ in $(seq 1 60); do
  sleep 0.25
  import -window "$win" shot.png
  lit shot.png && break
done
damage_pixels shot.png > before.txt
found=0
strike=0
for _ in $(seq 1 600); do
  import -window "$win" shot.png
  n=$(damage_pixels shot.png)
  if [ "$n" -ge 20 ]; then
    cp shot.png "$2/battle_overlay.png"
    echo "$n" > found.txt
    found=1
    break
  fi
  if lit shot.png; then
    xdotool mousemove $((ox + 700)) $((oy + 480))   # the pointer off the board and menus
    if [ $strike -eq 1 ]; then
      xdotool key 2; sleep 0.3; xdotool key Return; sleep 0.3; xdotool key Return
    else
      xdotool key 1; sleep 0.3; xdotool key Left; sleep 0.3
      # A blocked step leaves the panel open: close it and wait the turn out.
      xdotool key Escape; sleep 0.2; xdotool key 6
    fi
    strike=$((1 - strike))
    sleep 0.2
  fi
  sleep 0.05
done
close_game $pid "$win" game.log
[ $found -eq 1 ] || { echo "no amount floated"; exit 1; }
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 800x600x24" "$work/run.sh" "$work" "$artifacts"

before=$(cat "$work/before.txt")
found=$(cat "$work/found.txt")
echo "damage-coloured pixels on the board: $before before the first blow, $found while floating"
[ "$before" -eq 0 ] || { echo "the map itself holds the damage colour"; exit 1; }
echo "screenshot: $artifacts/battle_overlay.png"
