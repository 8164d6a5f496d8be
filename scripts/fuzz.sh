#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 10) from the committed seeds in fuzz/corpus/<target>/.
# New inputs go to a scratch corpus, never into the committed one; a finding stops with the
# crashing input saved under build-fuzz/findings/ and a non-zero exit.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
# QV_FUZZ_JOBS caps how many targets run at once (default: one per processor); QV_FUZZ_RUNS
# ends each target after that many executions instead of after SECONDS.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/common.sh
qv_install_packages clang libclang-rt-14-dev
seconds="${1:-10}"
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON -DQV_TESTS=OFF >/dev/null
jobs="${QV_FUZZ_JOBS:-$(nproc)}"
cmake --build build-fuzz -j"$jobs" --target qv_fuzz
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=($(ls fuzz/corpus))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/findings
# Inputs as long as the target's file kind can be: the definition "imp-sch.dat" (160,000 bytes),
# the card files and the statistics file (226,725) are far past a small default.
max_len_of() {
    case $1 in
        opening | criteria | order_index | grid | definition) echo 524288 ;;
        import_data | recoding | notes | rtf) echo 131072 ;;
        *) echo 65536 ;;
    esac
}
run_one() {
    local t=$1 corpus="$work/$1"
    mkdir -p "$corpus"
    cp fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
    if QV_FUZZ_TARGET="$t" ASAN_OPTIONS=detect_leaks=0 build-fuzz/qv_fuzz -max_total_time="$seconds" \
        ${QV_FUZZ_RUNS:+-runs="$QV_FUZZ_RUNS"} -max_len="$(max_len_of "$t")" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix=build-fuzz/findings/"$t"- "$corpus" >"$work/$t.log" 2>&1; then
        echo "$t: $(grep -m1 'stat::number_of_executed_units' "$work/$t.log" | awk '{print $2}') executions, no finding"
    else
        echo "$t: FINDING"; tail -40 "$work/$t.log"; return 1
    fi
}
export -f run_one max_len_of
export seconds work
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one {}'
