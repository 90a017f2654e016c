#!/usr/bin/env bash
# Installs the game into a temporary prefix and checks what the desktop needs (entry, icons,
# metainfo, man page), then starts the installed program under Xvfb with its game folder
# read-only: the title window shows, a new game is started from the keyboard, the window is
# closed as a window manager would close it, and the save must be in the temporary
# XDG_DATA_HOME (and the settings in XDG_CONFIG_HOME) while the game folder is untouched.
# Usage: install_prefix.sh BUILD_DIR X11_CLOSE ARTIFACT_DIR
set -euo pipefail
build=$1
x11_close=$2
artifacts=$3
id=io.github.luminaria.Luminaria
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null || true; rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" > "$work/install.log"

fail=0
for f in bin/luminaria share/luminaria/MIXER.INI share/luminaria/dat/my.dat \
         share/luminaria/dat/item.dat share/luminaria/dat/story0.dat share/luminaria/dat/buttons.txt \
         share/luminaria/cg/my1.bmp share/luminaria/mid/on1.wav share/luminaria/mid/spacial.mid \
         share/luminaria/screenshots/title.png share/applications/$id.desktop \
         share/metainfo/$id.metainfo.xml share/man/man6/luminaria.6.gz; do
  [ -f "$prefix/$f" ] || { echo "not installed: $f"; fail=1; }
done
for n in 16 22 24 32 48 64 128 256; do
  size=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${n}x${n}/apps/$id.png" 2>&1) || true
  [ "$size" = "${n}x${n}" ] || { echo "icon ${n}x${n}: $size"; fail=1; }
done
ls "$prefix/share/luminaria/dat" | grep -E '\.bak$|\.tmp$' && { echo "save leftovers installed"; fail=1; }
[ $fail -eq 0 ] || exit 1

entry=$prefix/share/applications/$id.desktop
desktop-file-validate "$entry"
for line in "Exec=$prefix/bin/luminaria" "Name=Luminaria" "Name[ja]=ルミナリア" \
            "Categories=Game;RolePlaying;" "Icon=$id" "Type=Application"; do
  grep -qxF "$line" "$entry" || { echo "desktop entry lacks: $line"; exit 1; }
done
meta=$prefix/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$meta"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta"
grep -qE '<image[^>]*>https?://[^<]*/screenshots/title\.png</image>' "$meta" || {
  echo "metainfo has no screenshot"; exit 1; }
zcat "$prefix/share/man/man6/luminaria.6.gz" | grep -F 'save\-dir' > /dev/null

# The installed game folder is read-only; it must stay byte for byte as installed.
chmod -R a-w "$prefix/share/luminaria"
(cd "$prefix/share/luminaria" && find . -type f | sort | xargs md5sum) > "$work/before.md5"

export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME"
said=$("$prefix/bin/luminaria" --save-dir)
[ "$said" = "$work/data/luminaria" ] || { echo "--save-dir said: $said"; exit 1; }
[ ! -e "$work/data/luminaria" ] || { echo "--save-dir made the folder"; exit 1; }

export PREFIX_BIN=$prefix/bin/luminaria X11_CLOSE=$x11_close WORK=$work ARTIFACTS=$artifacts
cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
cd /
SDL_AUDIODRIVER=dummy LUM_NO_MUSIC=1 "$PREFIX_BIN" > "$WORK/game.log" 2>&1 &
pid=$!
fail() { echo "$1"; cat "$WORK/game.log"; kill $pid 2>/dev/null || true; exit 1; }
# A top-level window by its exact name.
window_named() { xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | awk '{print $1; exit}'; }
caption() { xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed 's/^[^"]*"//; s/"$//'; }
wait_for() {  # wait_for WHAT COMMAND...: up to 15 s
  local what=$1; shift
  for _ in $(seq 1 150); do "$@" && return 0; kill -0 $pid 2>/dev/null || fail "the game ended early"; sleep 0.1; done
  fail "$what never happened"
}
win=""
has_title() { win=$(xwininfo -root -tree 2>/dev/null | awk '/725x493\+/ {print $1; exit}'); [ -n "$win" ]; }
wait_for "the title window" has_title
sleep 1.0
[ "$(caption "$win")" = "【ルミナリア】 ver1.2" ] || fail "caption: $(caption "$win")"
import -window "$win" "$ARTIFACTS/installed_title.png"

# 最初からする by keyboard: the focus starts on コンティニュー, one step down, Enter.
xdotool windowfocus --sync "$win"
sleep 0.3
xdotool key Down Return
box=""
has_box() { box=$(window_named "確認"); [ -n "$box" ]; }
wait_for "the new-game question" has_box
sleep 0.5
xdotool windowfocus --sync "$box"
sleep 0.2
xdotool key Return
in_travel() { [ "$(caption "$win")" = "ＴＲＡＶＥＬ ＭＯＤＥ" ]; }
wait_for "the travel screen" in_travel
sleep 0.5
"$X11_CLOSE" "$win"
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && fail "the game did not end when its window was closed"
wait $pid || fail "the game ended with an error"
INNER
chmod +x "$work/run.sh"
xvfb-run -a -s "-screen 0 800x600x24 -noreset" "$work/run.sh"

save=$work/data/luminaria
for f in my.dat item.dat my.dat.bak item.dat.bak; do
  [ -f "$save/$f" ] || { echo "no $f in $save"; ls -la "$save" || true; exit 1; }
done
# The new game's save: name, clear mark, money 1000, Ark 10.
head -c 40 "$save/my.dat" | iconv -f CP932 -t UTF-8 | tr -d '\r' | head -4 | tr '\n' ' ' > "$work/head"
[ "$(cat "$work/head")" = "ルミナリア 0 1000 10 " ] || { echo "saved my.dat begins: $(cat "$work/head")"; exit 1; }
# The backup is the shipped save it replaced.
cmp "$save/my.dat.bak" "$prefix/share/luminaria/dat/my.dat"
(cd "$prefix/share/luminaria" && find . -type f | sort | xargs md5sum) > "$work/after.md5"
cmp "$work/before.md5" "$work/after.md5" || { echo "the game folder changed"; exit 1; }
[ -f "$work/config/luminaria/settings.ini" ] || { echo "no settings written"; exit 1; }
grep -q '^zoom=1' "$work/config/luminaria/settings.ini"
echo "installed game: title shown, new game saved in $save"
