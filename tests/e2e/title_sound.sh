#!/usr/bin/env bash
# Plays the real game into a real sound server: a private PulseAudio with a null sink, whose
# monitor is recorded. The title music (FluidSynth) must be heard, and with the music off, the
# ok sound (SDL and the mixer) of the title box's 「コンティニュー」 button.
# Usage: title_sound.sh GAME_DIR ARTIFACT_DIR X11_CLOSE
set -euo pipefail
game_dir=$1
artifacts=$2
export LUM_WM_CLOSE=$3 LUM_E2E_DIR="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$artifacts"
for tool in pulseaudio parecord pactl xdotool sox; do
  command -v $tool >/dev/null || { echo "missing $tool (scripts/install-deps installs it)"; exit 1; }
done

work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/xdg" HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"; chmod 700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=file:"$work/pulse.log" \
  --load="module-null-sink sink_name=lum_sink" --load="module-native-protocol-unix" &
pa=$!
trap 'kill $pa 2>/dev/null || true; wait $pa 2>/dev/null || true; rm -rf "$work" || true' EXIT
for _ in $(seq 1 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl set-default-sink lum_sink
cp -r "$game_dir"/. "$work/game/" 2>/dev/null || { mkdir -p "$work/game"; cp -r "$game_dir"/. "$work/game/"; }

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
# run.sh GAME_FOLDER OUT.wav CLICK(0/1) [env...]
set -euo pipefail
source "$LUM_E2E_DIR/game_session.bash"
cd "$1"; out=$2; click=$3; shift 3
parecord --device=lum_sink.monitor --file-format=wav "$out" &
rec=$!
sleep 1
for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
env "$@" ./luminaria > game.log 2>&1 &
pid=$!
win=""
for _ in $(seq 1 100); do
  win=$(xwininfo -root -tree 2>/dev/null | awk '/725x493\+/ {print $1; exit}')
  [ -n "$win" ] && break; sleep 0.1
done
[ -n "$win" ] || { echo "no window"; cat game.log; kill $rec; exit 1; }
# The sound device opens after the first paint; a loaded machine needs a while for it.
sleep 5
if [ "$click" = 1 ]; then
  xdotool mousemove --window "$win" 362 268 click 1   # 「コンティニュー」
  sleep 3
fi
closed=0
close_game $pid "$win" game.log || closed=$?
sleep 0.5; kill -INT $rec; wait $rec 2>/dev/null || true
grep -v '^ALSA' game.log || true
exit $closed
INNER
chmod +x "$work/run.sh"

# The three games share one X server: a new xvfb-run straight after one that ended can be given
# the display number whose old server is still going away, and its clients then cannot connect.
# -noreset: the server is not reset when a game closes and leaves it without clients (on a loaded
# machine a game started just after that once could not connect); each game also starts only once
# the server answers.
cat > "$work/all.sh" <<INNER
#!/usr/bin/env bash
set -euo pipefail
"$work/run.sh" "$work/game" "$artifacts/title_music.wav" 0 X=1
"$work/run.sh" "$work/game" "$artifacts/ok_sound.wav" 1 LUM_NO_MUSIC=1
cp -r "$work/game/dat" "$work/dat-after-click"
# The control: the same without the click stays silent, so the sound above is the button's.
"$work/run.sh" "$work/game" "$work/silence.wav" 0 LUM_NO_MUSIC=1
INNER
chmod +x "$work/all.sh"
xvfb-run -a -e "$work/xvfb.log" -s "-screen 0 800x600x24 -noreset" "$work/all.sh" || {
  echo "Xvfb's own log:"; cat "$work/xvfb.log"; exit 1; }
# Closing a continued game saved it, through the whole commit.
[ -e "$work/dat-after-click/my.dat.bak" ] && [ -e "$work/dat-after-click/item.dat.bak" ] || {
  echo "closing the continued game did not save"; exit 1; }
for f in save.commit my.dat.new item.dat.new; do
  [ ! -e "$work/dat-after-click/$f" ] || { echo "the save left $f behind"; exit 1; }
done

peak() { sox "$1" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}'; }
rms() { sox "$1" -n stat 2>&1 | awk '/RMS +amplitude/ {print $3}'; }
music_rms=$(rms "$artifacts/title_music.wav")
ok_peak=$(peak "$artifacts/ok_sound.wav")
quiet_peak=$(peak "$work/silence.wav")
echo "title music RMS: $music_rms; ok sound peak: $ok_peak; without the click: $quiet_peak"
awk -v m="$music_rms" 'BEGIN { exit !(m > 0.01) }' || { echo "the title music was not heard"; exit 1; }
awk -v p="$ok_peak" 'BEGIN { exit !(p > 0.05) }' || { echo "the ok sound was not heard"; exit 1; }
awk -v p="$quiet_peak" 'BEGIN { exit !(p < 0.01) }' || { echo "sound without a click"; exit 1; }
