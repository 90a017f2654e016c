# Sourced by the end-to-end scripts (not a test itself): plays from a copy of the game folder,
# starts the game in the X server of xvfb-run and finds its 725 x 493 window.
#   e2e_copy GAME_DIR          sets $work to a fresh copy, removed on exit
#   e2e_start                  (inside the X server) starts the game; sets $pid, $win, $ox, $oy
e2e_copy() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp -r "$1"/. "$work"/
}

e2e_start() {
  # The player's own settings (a zoom, a window position) must not shape the test's window.
  XDG_CONFIG_HOME="$PWD/config" SDL_AUDIODRIVER=dummy LUM_NO_MUSIC=1 ./luminaria > game.log 2>&1 &
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
}
