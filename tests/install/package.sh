#!/usr/bin/env bash
# Builds the Debian package from the build folder and checks its file list, its control
# fields (Depends from the linked libraries, SDL2 and FluidSynth only recommended) and that
# the unpacked program finds its game folder and the player's save folder.
# Usage: package.sh BUILD_DIR
set -euo pipefail
build=$1
id=io.github.luminaria.Luminaria
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb)
[ "$(basename "$deb")" = "luminaria_1.2_amd64.deb" ] || { echo "package name: $deb"; exit 1; }

dpkg-deb -c "$deb" | awk '{print $6}' > "$work/list"
fail=0
for f in ./usr/bin/luminaria ./usr/share/applications/$id.desktop \
         ./usr/share/metainfo/$id.metainfo.xml ./usr/share/man/man6/luminaria.6.gz \
         ./usr/share/luminaria/MIXER.INI ./usr/share/luminaria/screenshots/title.png \
         ./usr/share/luminaria/dat/my.dat ./usr/share/luminaria/dat/item.dat \
         ./usr/share/luminaria/dat/story61.dat ./usr/share/luminaria/dat/buttons.txt \
         ./usr/share/luminaria/cg/my1.bmp ./usr/share/luminaria/mid/on1.wav \
         ./usr/share/luminaria/mid/spacial.mid; do
  grep -qxF "$f" "$work/list" || { echo "missing from the package: $f"; fail=1; }
done
for n in 16 22 24 32 48 64 128 256; do
  f=./usr/share/icons/hicolor/${n}x${n}/apps/$id.png
  grep -qxF "$f" "$work/list" || { echo "missing from the package: $f"; fail=1; }
done
# Nothing outside /usr, no save backups or temporary files.
if grep -v '^\./usr/\|^\./$' "$work/list"; then echo "files outside /usr"; fail=1; fi
if grep -E '\.bak$|\.tmp$' "$work/list"; then echo "leftovers in the package"; fail=1; fi
[ $fail -eq 0 ] || exit 1

depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
echo "Depends: $depends"
echo "Recommends: $recommends"
names() { echo "$1" | tr ',|' '\n\n' | sed 's/^ *//; s/ .*//'; }
for lib in qt6-qpa-plugins libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  names "$depends" | grep -qxF "$lib" || { echo "Depends lacks $lib"; exit 1; }
done
# Opened at run time, so never required.
if names "$depends" | grep -qiE 'sdl|fluidsynth'; then echo "Depends names SDL or FluidSynth"; exit 1; fi
for lib in libsdl2-2.0-0 libfluidsynth3; do
  names "$recommends" | grep -qxF "$lib" || { echo "Recommends lacks $lib"; exit 1; }
done
[ "$(dpkg-deb -f "$deb" Section)" = games ]

# Unpacked, the program finds its game folder in ../share/luminaria and saves in the user's
# data folder; the desktop entry starts it from /usr/bin.
dpkg-deb -x "$deb" "$work/root"
[ "$(file -b "$work/root/usr/bin/luminaria" | grep -c 'not stripped')" = 0 ] || {
  echo "the program is not stripped"; exit 1; }
got=$(env -i HOME="$work/home" XDG_DATA_HOME="$work/data" "$work/root/usr/bin/luminaria" --save-dir)
[ "$got" = "$work/data/luminaria" ] || { echo "--save-dir said $got"; exit 1; }
grep -qx "Exec=/usr/bin/luminaria" "$work/root/usr/share/applications/$id.desktop" || {
  echo "desktop entry Exec is not /usr/bin/luminaria"; exit 1; }
echo "package: $(grep -c . "$work/list") entries, $(du -k "$deb" | cut -f1) KiB"
