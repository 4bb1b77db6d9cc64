#!/bin/sh
# Draws the launcher's bitmap icons with ImageMagick (Debian package imagemagick). The PNGs are
# committed; run this from its folder only to redraw them. Each image is drawn four times larger and
# reduced, which smooths its edges.
set -eu
IM=${IM:-/usr/bin/convert}

# led <file> <light> <core> <rim> [size]: a round status light with a glow and a specular highlight,
# size pixels wide (20, or 40 for the "@2x" file that high-density screens use).
led() {
    "$IM" -size 80x80 xc:none \
        -fill '#08141B' -draw 'circle 40,40 40,1' \
        -fill "$4" -draw 'circle 40,40 40,5' \
        -fill "$3" -draw 'circle 40,40 40,10' \
        \( -size 80x80 xc:none -fill "$2" -draw 'circle 35,35 35,14' -blur 0x9 \
           \( -size 80x80 xc:none -fill white -draw 'circle 40,40 40,10' \) -compose DstIn -composite \) \
        -compose Over -composite \
        \( -size 80x80 xc:none -fill '#FFFFFFB0' -draw 'ellipse 31,27 10,6 0,360' -blur 0x2 \) \
        -compose Over -composite \
        -resize "${5:-20}x${5:-20}" -strip PNG32:"ICONS/$1"
}

for size in 20 40; do
    suffix=""
    [ "$size" = 40 ] && suffix="@2x"
    led "led-verte$suffix.png" '#B8FFD9' '#00C866' '#00602F' "$size"
    led "led-orange$suffix.png" '#FFE0B0' '#F2711C' '#7A3300' "$size"
    led "led-rouge$suffix.png" '#FFC4C4' '#E03030' '#6E1010' "$size"
done

