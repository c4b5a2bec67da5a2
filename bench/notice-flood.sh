#!/usr/bin/env bash
# Builds the optimised preset and runs the notice flood benchmark; an argument sets how many
# refused 64 KiB names are sent (200 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target notice_flood_bench
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
exec build/release/bench/notice_flood_bench "$@"
