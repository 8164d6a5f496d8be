#!/usr/bin/env bash
# Builds every test with AddressSanitizer and UndefinedBehaviorSanitizer and runs them headless.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/common.sh
# pdftoppm: the map print test looks at the page; clang-format: the format check
qv_install_packages poppler-utils clang-format
# Every C++ file follows .clang-format.
scripts/check_format.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_TESTS=ON
cmake --build build-test -j"$(nproc)"
cd build-test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300
cd ..
# Every file reader under libFuzzer for a short while, from the committed seeds.
scripts/fuzz.sh 10
