#!/bin/sh
# Installs what is missing, builds and starts the program. Extra arguments go to the program
# (for example --data-dir DIR).
set -eu
raiz=$(cd "$(dirname "$0")/.." && pwd)
"$raiz/scripts/dependencias.sh"
cmake -S "$raiz" -B "$raiz/build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF
cmake --build "$raiz/build" -j"$(nproc)" --target velmora-kv270
exec "$raiz/build/velmora-kv270" "$@"
