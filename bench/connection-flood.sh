#!/usr/bin/env bash
# Builds the optimised preset and runs the connection flood benchmark against the real program.
# It uses port 3456, so it runs in a network namespace of its own (which needs root).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target connection_flood_bench veltrano
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
exec unshare -n sh -c 'ip link set lo up && exec build/release/bench/connection_flood_bench "$@"' \
    sh "$@"
