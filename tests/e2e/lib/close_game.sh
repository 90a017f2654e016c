# Sourced by the end-to-end scripts. close_game PID WINDOW LOG closes the game the way a window
# manager does (tests/e2e/wm_close.c, path in $LUM_WM_CLOSE) and checks that it ends by itself
# with status 0 and without a sanitizer report in LOG: the real program's exit runs, and in
# the sanitizer build LeakSanitizer checks it.
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
