#!/usr/bin/env bash
# Runs each fuzz target for a while from the seed corpus in the tree. New inputs go to a scratch
# corpus, so the tree is left as it is. Usage: scripts/fuzz.sh BUILD_DIR SECONDS
set -euo pipefail
build_dir=$1
seconds=${2:-60}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for target in decode exchange split; do
    mkdir -p "$scratch/$target"
    log="$scratch/$target.log"
    if "$build_dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$scratch/$target-" "$scratch/$target" "tests/fuzz/corpus/$target" \
        >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        echo "fuzz_$target: ${runs:-?} runs in ${seconds}s, nothing found"
    else
        tail -n 40 "$log"
        for crash in "$scratch/$target"-*; do
            [ -e "$crash" ] && echo "fuzz_$target found an input that fails: $(od -An -c "$crash" | head -c 400)"
        done
        status=1
    fi
done
exit $status
