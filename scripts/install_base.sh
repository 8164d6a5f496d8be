#!/usr/bin/env bash
# Installs the shipped territorial base into a station's base directory:
#     scripts/install_base.sh SHIPPED_DIR BASE_DIR
# The base is copied only when BASE_DIR holds none of its files. An installed base is replaced by
# a different shipped one only while every installed file is still the one shipped (the list
# "geolar.sha256" beside them says which): a rescale made in the options dialog, changed colours
# or a base the user put there are never overwritten. The replacement is all or nothing.
set -euo pipefail
shipped="$1"
base="$2"
list="geolar.sha256"
mkdir -p "$base"

names=()
for f in "$shipped"/*; do
    [ -f "$f" ] && names+=("$(basename "$f")")
done
[ "${#names[@]}" -gt 0 ] || exit 0

sums() { (cd "$1" && sha256sum -- "${names[@]}"); }

stage=""
trap '[ -z "$stage" ] || rm -rf "$stage"' EXIT
install_all() {
    stage=$(mktemp -d "$base/.install.XXXXXX")
    for n in "${names[@]}"; do cp "$shipped/$n" "$stage/$n"; done
    sums "$shipped" > "$stage/$list"
    # Every file is in place beside the base before any is replaced.
    for n in "${names[@]}"; do mv -f "$stage/$n" "$base/$n"; done
    # Label points the map window kept for the replaced outlines no longer hold.
    rm -f "$base/dli-poli.dat"
    mv -f "$stage/$list" "$base/$list"
}

present=0
for n in "${names[@]}"; do [ -e "$base/$n" ] && present=1; done
if [ "$present" -eq 0 ]; then
    install_all
    exit 0
fi

if [ ! -f "$base/$list" ]; then
    # Installed before the list was kept: untouched only when it is a base shipped earlier.
    earlier="$shipped/../earlier-bases.sha256"
    [ -f "$earlier" ] && (cd "$base" && sha256sum --quiet --status -c "$earlier") 2>/dev/null || exit 0
    cp "$earlier" "$base/$list"
fi
cmp -s <(sums "$shipped") "$base/$list" && exit 0           # already the shipped one
(cd "$base" && sha256sum --quiet --status -c "$list") 2>/dev/null || exit 0  # changed since
# Files of the new base that the old one did not have must not exist yet.
for n in "${names[@]}"; do
    if [ -e "$base/$n" ] && ! grep -q "  $n\$" "$base/$list"; then exit 0; fi
done
install_all
