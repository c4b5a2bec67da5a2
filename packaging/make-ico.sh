#!/usr/bin/env bash
# Renders the icon into shell/win32/veltrano.ico, the Windows program's icon, from the same SVG as
# the Linux icons. Run by hand after changing veltrano.svg; needs rsvg-convert (librsvg2-bin).
# Each size is stored as a PNG, as Windows reads them since Vista.
set -euo pipefail
cd "$(dirname "$0")"
sizes=(16 24 32 48 64 256)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $(($1 >> 8 & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16)); }

for size in "${sizes[@]}"; do
    rsvg-convert --width="$size" --height="$size" --output="$work/$size.png" veltrano.svg
done
{
    le16 0; le16 1; le16 ${#sizes[@]}
    offset=$((6 + 16 * ${#sizes[@]}))
    for size in "${sizes[@]}"; do
        bytes=$(stat -c %s "$work/$size.png")
        printf "\\x$(printf %02x $((size % 256)))\\x$(printf %02x $((size % 256)))\\x00\\x00"
        le16 1; le16 32; le32 "$bytes"; le32 "$offset"
        offset=$((offset + bytes))
    done
    for size in "${sizes[@]}"; do cat "$work/$size.png"; done
} >../shell/win32/veltrano.ico
