#!/usr/bin/env bash
# Takes the README's screenshots from the real program in a virtual X display:
# docs/main-window.png and docs/folder-chooser.png. Usage: scripts/screenshots.sh BUILD_DIR
set -euo pipefail
build_dir=${1:-build/dev}
program="$build_dir/veltrano"
out=docs
work=$(mktemp -d)
home="$work/照片"
display=:97

cleanup() {
    kill "${app_pid:-}" "${xvfb_pid:-}" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 560x560x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$home" "$out"
HOME="$home" DISPLAY="$display" QT_QPA_PLATFORM=xcb "$program" >/dev/null 2>&1 &
app_pid=$!
for _ in $(seq 100); do
    DISPLAY="$display" xdotool search --name '^Veltrano$' >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 1

# A photo arrives, so the counter shows one.
exec 3<>/dev/tcp/127.0.0.1/3456
printf 'STAT||%%E7%%8F%%AD%%E7%%BA%%A7%%E7%%85%%A7.jpg' >&3; sleep 0.3
printf 'JPEG bytes' >&3; sleep 0.3
printf 'END||' >&3; sleep 0.3
exec 3>&-

DISPLAY="$display" import -window root -crop 449x493+48+48 "$out/main-window.png"

# "选择..." sits at (314, 57) in the receive group, which sits at (15, 128) in the window.
DISPLAY="$display" xdotool mousemove $((50 + 15 + 314 + 40)) $((50 + 128 + 57 + 14)) click 1
for _ in $(seq 50); do
    DISPLAY="$display" xdotool search --name '浏览文件夹' >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 0.5
DISPLAY="$display" import -window root -crop 365x331+48+48 "$out/folder-chooser.png"
echo "wrote $out/main-window.png and $out/folder-chooser.png"
