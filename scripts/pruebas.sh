#!/bin/sh
# Installs what is missing, builds and runs every test. With CI=true it also builds and runs
# the tests once more with AddressSanitizer and UndefinedBehaviorSanitizer, and fuzzes the
# inspection file decoder for a minute, and builds and checks the Debian package.
set -eu
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh" --pruebas
export QT_QPA_PLATFORM=offscreen
cmake -S "$raiz" -B "$raiz/build-tests" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$raiz/build-tests" -j"$(nproc)"
ctest --test-dir "$raiz/build-tests" --output-on-failure -j"$(nproc)"
if [ "${CI:-}" = "true" ] || [ "${1:-}" = "--sanitizers" ]; then
    cmake -S "$raiz" -B "$raiz/build-asan" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BENCH=OFF
    cmake --build "$raiz/build-asan" -j"$(nproc)"
    ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$raiz/build-asan" --output-on-failure -j"$(nproc)"
    if [ -x "$raiz/fuzz/run.sh" ]; then
        "$raiz/fuzz/run.sh" 60
    fi
fi
if [ "${CI:-}" = "true" ]; then
    # The package from the build already tested: no second build.
    "$raiz/scripts/paquete.sh" "$raiz/build-tests"
fi
