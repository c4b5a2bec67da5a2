#!/usr/bin/env bash
# veltrano.exe under Wine as on a school's PC: a fresh Wine prefix, the zh_CN.UTF-8 locale (so the
# ANSI code page is 936) and drive D: mapped to a temporary folder. The phone, a Windows program
# beside it, sends the receive table to port 3456; every file must be in D:\ byte for byte.
# Usage: program-test.sh VELTRANO_EXE PHONE_EXE
set -euo pipefail
exe=$(realpath "$1")
phone=$(realpath "$2")

# Windows draws its windows somewhere: without a display, run under a private Xvfb.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
work=$(mktemp -d)
program=""
finish() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    WINEPREFIX="$work/prefix" "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}
trap finish EXIT

mkdir -p "$work/locale" "$work/d" "$work/outbox"
localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" 2>/dev/null || true
export LOCPATH="$work/locale" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init >/dev/null 2>&1
ln -s "$work/d" "$WINEPREFIX/dosdevices/d:"

"$wine" "$exe" >"$work/program.log" 2>&1 &
program=$!

outbox=$("$wine" winepath -w "$work/outbox" 2>/dev/null | tr -d '\r')
"$wine" "$phone" "$outbox" | tr -d '\r' | tee "$work/phone.log"
grep -qx "ANSI code page 936" "$work/phone.log" || { echo "FAIL: the ANSI code page is not 936"; exit 1; }

# Every file complete within a minute of the phone's last byte.
failed=0
for sent in "$work/outbox"/*; do
    name=$(basename "$sent")
    stored="$work/d/$name"
    for _ in $(seq 600); do
        [ -f "$stored" ] && [ "$(stat -c %s "$stored")" = "$(stat -c %s "$sent")" ] && break
        sleep 0.1
    done
    if cmp -s "$sent" "$stored"; then
        echo "ok   D:\\$name ($(stat -c %s "$sent") bytes)"
    else
        echo "FAIL D:\\$name: missing, short or other bytes"
        failed=1
    fi
done
extra=$(comm -13 <(ls "$work/outbox") <(ls "$work/d"))
[ -z "$extra" ] || { echo "FAIL: unexpected files in D:: $extra"; failed=1; }
exit $failed
