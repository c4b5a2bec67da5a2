#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; quiet when all are there.
set -euo pipefail

packages=(
    g++ make cmake ninja-build pkgconf clang-14 libclang-rt-14-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev libxcb1-dev libicu-dev libgtest-dev libgmock-dev
    fonts-wqy-microhei librsvg2-bin dpkg-dev file
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "These packages are missing and installing them needs root (or sudo): ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
log=$(mktemp)
if ! { "${as_root[@]}" apt-get update -qq &&
       DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq \
           -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "Installing the packages above failed." >&2
    exit 1
fi
rm -f "$log"
