#!/usr/bin/env bash
# Takes the README's screenshots of the Windows program under Wine, as on a Chinese Windows PC
# (zh_CN locale, code page 936, drive D:): docs/windows-main-window.png and
# docs/windows-folder-chooser.png. It opens port 3456, so run it inside a network namespace of its
# own, where it gives itself a LAN address for the address panel to show:
#   unshare -n scripts/windows-screenshots.sh build/mingw/veltrano.exe
set -euo pipefail
exe=$(realpath "${1:-build/mingw/veltrano.exe}")
out=docs
work=$(mktemp -d)
display=:96
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

cleanup() {
    kill "${app_pid:-}" 2>/dev/null || true
    WINEPREFIX="$work/prefix" "$wineserver" -k 2>/dev/null || true
    kill "${xvfb_pid:-}" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

ip link set lo up
# A pair of linked adapters, so one is up and running with an address of the school LAN.
ip link add lan0 type veth peer name lan1
ip addr add 192.168.1.23/24 dev lan0
ip link set lan1 up && ip link set lan0 up

Xvfb "$display" -screen 0 560x560x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$work/locale" "$work/d/班级照片" "$work/d/Program Files" "$out"
localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" 2>/dev/null || true
export DISPLAY="$display" LOCPATH="$work/locale" LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init >/dev/null 2>&1
ln -s "$work/d" "$WINEPREFIX/dosdevices/d:"
# No window manager here: Wine draws the frames itself.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

"$wine" "$exe" >/dev/null 2>&1 &
app_pid=$!
for _ in $(seq 300); do
    xdotool search --name '^Veltrano$' >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 2

# A photo arrives, so the counter shows one.
exec 3<>/dev/tcp/127.0.0.1/3456
printf 'STAT||%%E7%%8F%%AD%%E7%%BA%%A7%%E7%%85%%A7.jpg' >&3; sleep 0.3
printf 'JPEG bytes' >&3; sleep 0.3
printf 'END||' >&3; sleep 0.3
exec 3>&-
sleep 0.5

window=$(xdotool search --name '^Veltrano$' | head -1)
import -window "$window" "$out/windows-main-window.png"

# Click "选择...": the group (15, 128) plus the button (314, 57), inside Wine's own frame.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + WIDTH - 445 + 15 + 314 + 40 - 3)) \
    $((Y + HEIGHT - 489 + 128 + 57 + 14 + 19)) click 1
for _ in $(seq 50); do
    xdotool search --name '浏览文件夹' >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 1
chooser=$(xdotool search --name '浏览文件夹' | head -1)
import -window "$chooser" "$out/windows-folder-chooser.png"
echo "wrote $out/windows-main-window.png and $out/windows-folder-chooser.png"
