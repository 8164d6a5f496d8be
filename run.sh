#!/usr/bin/env bash
# Builds the program in Release and starts it. The root directory (where the program directory
# quorvanta.tv/ and the territorial base morvidex.win/geolar/ live) is the first argument, else
# $QUORVANTA_ROOT, else $HOME. The program's own files are refreshed on every start; the user's
# archives, settings, results and territorial base are never overwritten.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh
qv_install_packages
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DQV_TESTS=OFF
cmake --build build-release -j"$(nproc)"

root="${1:-${QUORVANTA_ROOT:-$HOME}}"
prog="$root/quorvanta.tv"
mkdir -p "$prog/help" "$root/morvidex.win/geolar"
# Program files: always refreshed from the shipped copies.
for f in sigle.imp sig-dat.imp chi2.imp cmn-zor2.dat di-alfac.dat ini-prov.imp dli-poli.dat zor3.txt; do
    [ -f "data/progdir/$f" ] && cp -f "data/progdir/$f" "$prog/$f"
done
cp -f data/progdir/help/*.rtf "$prog/help/" 2>/dev/null || true
# Territorial base: installed when missing; replaced by a newer shipped one only while untouched.
scripts/install_base.sh data/territory/geolar "$root/morvidex.win/geolar"
# Files the user may change: only put there when missing.
for f in lst-kel.txt pxx-dat.imp; do
    [ -f "data/progdir/$f" ] && [ ! -e "$prog/$f" ] && cp "data/progdir/$f" "$prog/$f"
done
if [ ! -e "$prog/Pianalto" ] && [ -d build-release/progdir/Pianalto ]; then
    cp -r build-release/progdir/Pianalto "$prog/Pianalto"
    # The descriptor names the folder the archive lives in: here, not the build folder. It is a
    # Windows-1252 text, so the folder is written in that code page; a folder it cannot hold is
    # refused rather than written with characters lost.
    descriptor="$prog/Pianalto/morvidex.dat"
    if ! folder="$(cd "$prog/Pianalto" && pwd | iconv -f UTF-8 -t WINDOWS-1252)/"; then
        rm -rf "$prog/Pianalto"
        echo "La cartella $prog contiene caratteri che il programma non puo' registrare nei suoi file; sceglierne un'altra." >&2
        exit 1
    fi
    folder="$folder" LC_ALL=C awk 'NR == 2 { printf "Nome indirizzario: %s\r\n", ENVIRON["folder"]; next } { print }' \
        "$descriptor" > "$descriptor.new" && mv "$descriptor.new" "$descriptor"
fi
exec build-release/quorvanta --root "$root"
