#!/usr/bin/env bash
# The real game in Xvfb: the stage-0 battle fought with the keys alone, the hero walking up to
# the enemy and striking it with 体術, until an amount floats over the board (in the damage,
# healing or Mp colour); that moment is kept as battle_overlay.png. Checks that none of the
# three colours is on the board before the first action, so the find is a number, not the map.
# Usage: battle_overlay.sh GAME_DIR ARTIFACT_DIR X11_CLOSE
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/game_session.bash"
e2e_begin "$@"

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd "$1"
source ./game_session.bash
# Pixels of the board in the colours of the amounts (damage, healing, Mp).
number_pixels() {
  local masks=()
  for c in 'rgb(255,92,60)' 'rgb(96,236,120)' 'rgb(92,180,255)'; do
    masks+=( \( -clone 0 -fill black +opaque "$c" -fill white -opaque "$c" \) )
  done
  convert "$1" -crop 448x320+1+1 +repage "${masks[@]}" -delete 0 -evaluate-sequence max \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}
# The command menu shows (its first button, lit or not, where the screen is bare otherwise).
menu_up() {
  [ "$(convert "$1" -crop 1x1+460+24 +repage -format '%[fx:int(255*r)],%[fx:int(255*g)],%[fx:int(255*b)]' info:)" != "16,16,24" ]
}
# "hx hy ex ey": the hero's square (its acting frame's corner, 2 pixels below a square's top)
# and a square with another HP label (white figures in the label's rows, 56 to 61 below; one
# row alone can miss a "9/9", whose nines are open there).
squares() {
  local rows=()
  for r in 0 1 2 3 4; do
    rows+=( \( -clone 0 -crop 448x1+1+$((64 * r + 3)) +repage \) )
    for d in 57 58 59 60 61 62; do
      rows+=( \( -clone 0 -crop 448x1+1+$((64 * r + d)) +repage \) )
    done
  done
  convert "$1" "${rows[@]}" -delete 0 -append txt:- | awk -F'[,:() ]+' '
    NR > 1 { x = $1; line = $2; r = $3; g = $4; b = $5; w = int(line / 7); c = int(x / 64)
             dx = x % 64
             if (line % 7 == 0 && dx == 8 && r == 120 && g == 230 && b == 255) { hx = c; hy = w }
             if (line % 7 != 0 && dx >= 10 && dx < 50 && r > 235 && g > 235 && b > 235) white[c "," w]++ }
    END { ex = -1; ey = -1
          for (k in white) if (white[k] > 1) { split(k, p, ","); if (p[1] != hx || p[2] != hy) { ex = p[1]; ey = p[2] } }
          print (hx == "" ? -1 : hx), (hy == "" ? -1 : hy), ex, ey }'
}
e2e_start
new_game
xdotool mousemove $((ox + 68)) $((oy + 247)) click 1     # m0: the stage-0 battle
wait_caption "【ルミナリア】 ver1.2" || true
for _ in $(seq 1 60); do
  sleep 0.25
  import -window "$win" shot.png
  menu_up shot.png && break
done
number_pixels shot.png > before.txt
found=0
for _ in $(seq 1 400); do
  import -window "$win" shot.png
  n=$(number_pixels shot.png)
  if [ "$n" -ge 20 ]; then
    cp shot.png "$2/battle_overlay.png"
    echo "$n" > found.txt
    found=1
    break
  fi
  if menu_up shot.png; then
    xdotool mousemove $((ox + 700)) $((oy + 480))   # the pointer off the board and menus
    read -r hx hy ex ey < <(squares shot.png)
    echo "hero $hx,$hy enemy $ex,$ey" >> moves.txt
    if [ "$hx" -ge 0 ] && [ "$ex" -ge 0 ] && [ "$ey" -eq "$hy" ] && [ "$ex" -eq $((hx - 1)) ]; then
      echo strike >> moves.txt
      xdotool key 2; sleep 0.3; xdotool key Return; sleep 0.3; xdotool key Return
    else
      # 正拳突き strikes the square in front (to the left): get to the enemy's right.
      step=Left
      if [ "$hx" -lt 0 ] || [ "$ex" -lt 0 ]; then step=Left
      elif [ "$ex" -ge "$hx" ]; then
        if [ "$hy" -ne "$ey" ]; then step=Right
        elif [ "$hy" -lt 4 ]; then step=Down
        else step=Up
        fi
      elif [ "$hy" -lt "$ey" ]; then step=Down
      elif [ "$hy" -gt "$ey" ]; then step=Up
      fi
      echo "$step" >> moves.txt
      xdotool key 1; sleep 0.3; xdotool key "$step"; sleep 0.3
      # A blocked step leaves the panel open: close it and wait the turn out.
      xdotool key Escape; sleep 0.2; xdotool key 6
    fi
    sleep 0.3
  fi
  sleep 0.05
done
[ $found -eq 1 ] || { cp shot.png "$2/battle_overlay_failed.png"; cp moves.txt "$2/battle_overlay_moves.txt"; }
close_game $pid "$win" game.log
[ $found -eq 1 ] || { echo "no amount floated"; exit 1; }
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 800x600x24 -noreset" "$work/run.sh" "$work" "$artifacts"

before=$(cat "$work/before.txt")
found=$(cat "$work/found.txt")
echo "pixels of the board in the amounts' colours: $before before the first action, $found while one floats"
[ "$before" -eq 0 ] || { echo "the map itself holds an amount's colour"; exit 1; }
echo "screenshot: $artifacts/battle_overlay.png"
