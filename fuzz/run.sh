#!/usr/bin/env bash
# Builds the decoder's fuzz target with clang (libFuzzer, ASan, UBSan) and runs
# it for SECONDS seconds (default 60) from the seed corpus.
#   fuzz/run.sh [SECONDS]
set -euo pipefail

segundos="${1:-60}"
raiz="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$raiz/build-fuzz"

CC=clang CXX=clang++ cmake -S "$raiz/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

# New inputs go to a scratch corpus; the seeds in the repository stay as they are.
mkdir -p "$build/corpus" "$build/hallazgos"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
"$build/fuzz_decodificador" -max_total_time="$segundos" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$build/hallazgos/" "$build/corpus" "$raiz/fuzz/corpus"
