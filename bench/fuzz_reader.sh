#!/usr/bin/env bash
# Fuzzes the settings / parameter reader for 60 seconds (or $1 seconds) with
# libFuzzer under AddressSanitizer and UBSan. Inputs that crash it stay in
# build/fuzz/fuzz-artifacts/; a fault found there deserves a reading row of its
# own in tests/persistence.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
build=build/fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZORVANDINE_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzz_reader -j2
corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$corpus" "$artifacts"
cp data/Default.ini "$corpus/"
status=0
"$build/persistence/fuzz/fuzz_reader" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/" -print_final_stats=1 "$corpus" || status=$?
shopt -s nullglob
found=("$artifacts"/*)
if ((${#found[@]})); then
    echo "${#found[@]} failing input(s) in $artifacts/"
fi
exit "$status"
