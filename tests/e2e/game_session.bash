# Sourced by the end-to-end scripts (not a test itself): plays from a copy of the game folder,
# starts the game in the X server of xvfb-run and finds its 725 x 493 window.
#   e2e_copy GAME_DIR          sets $work to a fresh copy, removed on exit
#   e2e_start [ARG...]         (inside the X server) starts the game with ARGs; sets $pid, $win,
#                              $ox, $oy; its window is 725x493 unless $e2e_window says otherwise
#   wait_caption TEXT          waits (up to 15 s) until the game window's caption is TEXT
#   new_game [X Y]             最初からする (at X, Y of the screen when given), はい once the question
#                              shows, then the travel screen
#   close_game PID WINDOW LOG  closes it the way a window manager does (tests/support/x11_close.c,
#                              path in $LUM_WM_CLOSE) and checks that it ends by itself with
#                              status 0 and no sanitizer report in LOG: the real program's exit
#                              runs, and in the sanitizer build LeakSanitizer checks it.
# The start of an end-to-end script: its arguments GAME_DIR ARTIFACT_DIR X11_CLOSE, and a
# fresh copy of the game folder in $work (the test never touches the build's save) with this
# file beside it for the script that runs inside the X server.
e2e_begin() {
  game_dir=$1
  artifacts=$2
  export LUM_WM_CLOSE=$3
  mkdir -p "$artifacts"
  e2e_copy "$game_dir"
  cp "${BASH_SOURCE[0]}" "$work/"
}

e2e_copy() {
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp -r "$1"/. "$work"/
}

e2e_start() {
  # The player's own settings (a zoom, a window position) must not shape the test's window.
  XDG_CONFIG_HOME="$PWD/config" SDL_AUDIODRIVER=dummy LUM_NO_MUSIC=1 ./luminaria "$@" > game.log 2>&1 &
  pid=$!
  win=""
  for _ in $(seq 1 150); do
    win=$(xwininfo -root -tree 2>/dev/null | awk -v size="${e2e_window:-725x493}+" 'index($0, size) {print $1; exit}')
    [ -n "$win" ] && break
    kill -0 $pid 2>/dev/null || { echo "the game exited early"; cat game.log; exit 1; }
    sleep 0.1
  done
  [ -n "$win" ] || { echo "no ${e2e_window:-725x493} window appeared"; cat game.log; exit 1; }
  sleep 1.0
  read -r ox oy < <(xwininfo -id "$win" | awk '/Absolute upper-left X/{x=$4}/Absolute upper-left Y/{y=$4}END{print x, y}')
}

# Fixed pauses fail on a loaded machine; these wait for what the player would see.
wait_caption() {
  for _ in $(seq 1 150); do
    xprop -id "$win" _NET_WM_NAME 2>/dev/null | grep -qF "= \"$1\"" && return 0
    sleep 0.1
  done
  echo "the caption never became $1"; return 1
}

new_game() {
  xdotool mousemove "${1:-$((ox + 362))}" "${2:-$((oy + 316))}" click 1   # 最初からする
  # The question is a window of its own: press はい once it is up.
  local n=0
  for _ in $(seq 1 150); do
    n=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)
    [ "$n" -ge 2 ] && break
    sleep 0.1
  done
  [ "$n" -ge 2 ] || { echo "the new-game question did not show"; return 1; }
  sleep 0.3
  xdotool key Return
  wait_caption "ＴＲＡＶＥＬ ＭＯＤＥ"
  sleep 0.5
}

close_game() {
  local pid=$1 win=$2 log=$3 rc=0
  if ! "$LUM_WM_CLOSE" "$win"; then
    kill -9 "$pid" 2>/dev/null || true
    echo "could not send the close request"; return 1
  fi
  for _ in $(seq 1 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"; echo "the game did not close on WM_DELETE_WINDOW"; return 1
  fi
  wait "$pid" || rc=$?
  if grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: [A-Za-z]+Sanitizer' "$log"; then
    echo "sanitizer report from the game:"; cat "$log"; return 1
  fi
  if [ "$rc" -ne 0 ]; then
    echo "the game exited with status $rc"; cat "$log"; return 1
  fi
}
