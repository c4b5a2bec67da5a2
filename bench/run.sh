#!/usr/bin/env bash
# Builds the optimised preset and runs the receive benchmark. Extra arguments go to the benchmark
# (--size-mib N, --rounds N, --files N, --dir DIR, --case 1|2|3).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh socat
cmake --preset release >/dev/null
cmake --build --preset release --target receive_bench
echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
exec build/release/bench/receive_bench "$@"
