#!/usr/bin/env bash
# Checks the .deb in the given build folder as a user would meet it: its menu entry and
# software-centre description pass their validators, it installs with apt-get, and the installed
# program, started without a display, receives a photo from the phone's side (the packaged
# veltrano-send) over loopback. The receive runs in a network namespace of its own, so the
# port is free whatever else runs on this machine. Needs root (or sudo); leaves veltrano
# uninstalled.
set -euo pipefail

build=${1:?usage: check-package.sh BUILD_FOLDER}
build=$(cd "$build" && pwd)
package=$(ls "$build"/veltrano_*_amd64.deb)
if [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi

work=$(mktemp -d)
cleanup() {
    "${as_root[@]}" apt-get purge -y -qq veltrano >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "== $(basename "$package")"
dpkg-deb --field "$package" Package Version Architecture Depends Recommends
dpkg-deb --contents "$package"

echo "== menu entry and description, as packaged"
dpkg-deb --extract "$package" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/org.veltrano.Veltrano.desktop"
appstreamcli validate --no-net --explain \
    "$work/root/usr/share/metainfo/org.veltrano.Veltrano.metainfo.xml"

echo "== apt-get install ./$(basename "$package")"
"${as_root[@]}" apt-get purge -y -qq veltrano >/dev/null 2>&1 || true
(cd "$build" && DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq \
    -o DPkg::Lock::Timeout=600 --no-install-recommends "./$(basename "$package")" >/dev/null)
dpkg-query -W -f='${Package} ${Version} ${db:Status-Status}\n' veltrano
test -x /usr/bin/veltrano

echo "== the installed program receives a photo without a display"
photo="$work/班级照片 1.jpg"
head -c 300000 /dev/urandom >"$photo"
home="$work/home"
mkdir "$home"
"${as_root[@]}" unshare -n bash -c '
    set -eu
    ip link set lo up
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$1" /usr/bin/veltrano \
        >"$1/../receiver.log" 2>&1 &
    receiver=$!
    trap "kill $receiver 2>/dev/null" EXIT
    for _ in $(seq 100); do
        ss -Hltn "sport = :3456" | grep -q . && break
        kill -0 $receiver 2>/dev/null || break
        sleep 0.1
    done
    /usr/bin/veltrano-send --host 127.0.0.1 --timeout 20 "$2"
    for _ in $(seq 100); do
        cmp -s "$2" "$1/$(basename "$2")" && exit 0
        sleep 0.1
    done
    echo "The photo did not arrive intact in $1." >&2
    exit 1
' check "$home" "$photo" || { cat "$work/receiver.log" >&2; exit 1; }
cat "$work/receiver.log"
echo "Received $(basename "$photo") intact."

# The window needs Qt's platform plugins, which only the package's own Depends brings in.
echo "== the installed program opens its window (Qt's offscreen platform)"
"${as_root[@]}" unshare -n bash -c '
    set -eu
    ip link set lo up
    QT_QPA_PLATFORM=offscreen HOME="$1" /usr/bin/veltrano >"$1/../window.log" 2>&1 &
    window=$!
    trap "kill $window 2>/dev/null" EXIT
    for _ in $(seq 100); do
        ss -Hltn "sport = :3456" | grep -q . && exit 0
        kill -0 $window 2>/dev/null || break
        sleep 0.1
    done
    echo "The window did not start." >&2
    exit 1
' check "$home" || { cat "$work/window.log" >&2; exit 1; }
echo "The window started and listens on port 3456."
