#!/usr/bin/env bash
# Runs a Windows program under Wine without a display, in a Wine prefix of the build's own.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="${VELTRANO_WINEPREFIX:-$here/build/wine}"
export WINEDEBUG=-all
# No Mono or Gecko: nothing to fetch, no prompt to answer.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Windows tests need a display: make test-windows runs CTest under Xvfb. Without one, only
# the programs that open no window work.
unset WAYLAND_DISPLAY
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
if [ ! -d "$WINEPREFIX" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot --init >/dev/null 2>&1 || true
fi
exec "$wine" "$@"
