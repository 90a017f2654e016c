#!/usr/bin/env bash
# The real game in Xvfb under a file-size limit smaller than its save: a new game, then the
# window closed. The save's write fails as an error (the game lives to ask whether to quit
# without saving), Enter answers yes, and the previous save is left exactly as it was.
# Usage: save_size_limit.sh GAME_DIR ARTIFACT_DIR X11_CLOSE
set -euo pipefail
source "$(cd "$(dirname "$0")" && pwd)/game_session.bash"
e2e_begin "$@"
md5sum "$work/dat/my.dat" "$work/dat/item.dat" > "$work/before.md5"

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd "$1"
source ./game_session.bash
# The game alone runs under the limit (soft, so this shell lifts it again for its own files):
# 8 KiB, where the settings and the log fit and the save's item.dat does not.
ulimit -S -f 8
e2e_start
ulimit -S -f unlimited
new_game
"$LUM_WM_CLOSE" "$win"
# The question is a window of its own; the game must still be there to show it.
n=0
for _ in $(seq 1 150); do
  kill -0 $pid 2>/dev/null || break
  n=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)
  [ "$n" -ge 2 ] && break
  sleep 0.1
done
if ! kill -0 $pid 2>/dev/null; then
  rc=0; wait $pid || rc=$?
  echo "the game ended while saving (status $rc)"; cat game.log; exit 1
fi
[ "$n" -ge 2 ] || { echo "no question after the failed save"; cat game.log; kill -9 $pid; exit 1; }
import -window root "$2/save_size_limit.png"
sleep 0.3
xdotool key Return
for _ in $(seq 1 150); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then kill -9 $pid; echo "the game did not end after yes"; exit 1; fi
rc=0; wait $pid || rc=$?
[ "$rc" -eq 0 ] || { echo "the game exited with status $rc"; cat game.log; exit 1; }
INNER
chmod +x "$work/run.sh"

xvfb-run -a -s "-screen 0 800x600x24 -noreset" "$work/run.sh" "$work" "$artifacts"

(cd / && md5sum -c --quiet "$work/before.md5") || { echo "the previous save changed"; exit 1; }
leftovers=$(ls "$work/dat" | grep -E '\.(new|tmp)$|^save\.commit' || true)
[ -z "$leftovers" ] || { echo "left behind: $leftovers"; exit 1; }
echo "the save failed as an error, the previous save is whole; screenshot: $artifacts/save_size_limit.png"
