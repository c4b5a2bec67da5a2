#!/usr/bin/env bash
# Receive throughput of the Windows program under Wine against the Linux program, in one run, with
# the same phone (a Windows program under Wine) sending one file of N MiB to 127.0.0.1:3456.
# Opens port 3456: run it in a network namespace of its own (needs root):
#   unshare -n bench/windows-receive.sh [MIB]
# Build both first: make build windows (and the e2e phone: cmake --build --preset mingw).
set -euo pipefail
cd "$(dirname "$0")/.."
mib=${1:-256}
exe=$(realpath build/mingw/veltrano.exe)
phone=$(realpath build/mingw/tests/e2e/win32/e2e_phone.exe)
linux=$(realpath build/dev/veltrano)
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
work=$(mktemp -d)
display=:95
cleanup() {
    kill "${program:-}" "${xvfb:-}" 2>/dev/null || true
    WINEPREFIX="$work/prefix" "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
ip link set lo up
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
mkdir -p "$work/locale" "$work/d" "$work/home" "$work/outbox"
localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" 2>/dev/null || true
export DISPLAY=$display LOCPATH="$work/locale" LANG=zh_CN.UTF-8
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init >/dev/null 2>&1
ln -s "$work/d" "$WINEPREFIX/dosdevices/d:"
outbox=$("$wine" winepath -w "$work/outbox" 2>/dev/null | tr -d '\r')
size=$((mib * 1048576))

# Seconds from the phone's connection until the receiver's copy is whole.
measure() {
    local stored=$1
    local start="" end line
    while IFS= read -r line; do
        [ "${line%$'\r'}" = connected ] && start=$(date +%s.%N)
    done < <("$wine" "$phone" "$outbox" "$mib")
    for _ in $(seq 6000); do
        [ -f "$stored" ] && [ "$(stat -c %s "$stored")" = "$size" ] && break
        sleep 0.05
    done
    end=$(date +%s.%N)
    cmp -s "$work/outbox/big.bin" "$stored" || { echo "the received copy differs" >&2; exit 1; }
    echo "$start $end" | awk -v mib="$mib" '{ printf "%.2f s, %.1f MiB/s", $2 - $1, mib / ($2 - $1) }'
}

echo "phone under Wine sends $mib MiB to each receiver; $(nproc) cores"
"$wine" "$exe" >/dev/null 2>&1 &
program=$!
sleep 3
echo "veltrano.exe under Wine: $(measure "$work/d/big.bin")"
kill "$program"; "$wineserver" -k 2>/dev/null || true; "$wine" wineboot >/dev/null 2>&1 || true
rm -f "$work/d/big.bin"

env -u DISPLAY HOME="$work/home" "$linux" >/dev/null 2>&1 &
program=$!
sleep 1
echo "Linux veltrano (no display): $(measure "$work/home/big.bin")"
