#!/bin/bash
# Regenerates every image in this folder:
#   earth.png                  561x425 RGB background, rendered with xplanet
#   stopwatch-16.png/-32.png   16-colour palette icons from stopwatch.svg
#   stopwatch-48 ... -256.png  full-colour RGBA icons from stopwatch.svg
#   stopwatch.ico              Windows icon holding the 32 and 16 px images
# stopwatch.svg is hand-drawn and is the only input that is not generated.
#
# Debian packages needed: xplanet xplanet-images imagemagick librsvg2-bin
#                         icoutils (optional, falls back to ImageMagick)
#                         optipng or pngcrush (optional, for smaller files)
set -euo pipefail

cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")"

# Call ImageMagick by full path so a different "convert" earlier in PATH
# is never picked up.
IM=/usr/bin/convert

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

optimise() {
    # Lossless recompression. Colour type and bit depth are left alone so
    # earth.png stays 24-bit RGB and the large icons stay RGBA.
    local keep_type=$1 f=$2
    if command -v optipng >/dev/null 2>&1; then
        if [ "$keep_type" = keep ]; then
            optipng -quiet -o7 -nc -nb -strip all "$f"
        else
            optipng -quiet -o7 -strip all "$f"
        fi
    elif command -v pngcrush >/dev/null 2>&1; then
        pngcrush -q -brute -rem alla "$f" "$work/crushed.png"
        mv "$work/crushed.png" "$f"
    fi
}

# --- Earth background ------------------------------------------------------
# The window shows only the top-left 472x404 pixels of the picture, so the
# globe is centred on that area: radius 40% of 425 = 170 px, leaving about
# 66 px at the sides and 32 px above and below. At noon UTC on the March
# equinox the sun is almost straight above 0N 0E, so viewing from 5N 5E
# shows Africa and the Atlantic in full daylight. The Debian package does not
# ship a cloud map, so the globe is drawn without clouds.
xplanet -searchdir /usr/share/xplanet -config default \
        -num_times 1 -output "$work/earth.png" -geometry 561x425 \
        -body earth -latitude 5 -longitude 5 -radius 40 \
        -center +236+202 -starfreq 0 -date 20240320.120000
$IM "$work/earth.png" -alpha off -strip \
    -define png:color-type=2 -define png:bit-depth=8 earth.png
optimise keep earth.png

# --- Icons -----------------------------------------------------------------
# Full-colour sizes for desktop menus (hicolor theme sizes).
for size in 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" stopwatch.svg -o "$work/icon-$size.png"
    $IM "$work/icon-$size.png" -strip \
        -define png:color-type=6 -define png:bit-depth=8 "stopwatch-$size.png"
    optimise keep "stopwatch-$size.png"
done

# 16-colour sizes. Quantising straight to 16 colours loses the thin hands,
# so the renders are mapped onto a fixed palette instead: greys for the case,
# white for the dial, reds for the marks and sweep hand, plus fully
# transparent. Alpha is made on/off first (an .ico of this kind only has a
# 1-bit mask) and copied back after the colour mapping.
$IM -size 1x1 \
    xc:'#141414' xc:'#333333' xc:'#555555' xc:'#777777' xc:'#999999' \
    xc:'#bbbbbb' xc:'#dddddd' xc:'#ffffff' \
    xc:'#d40000' xc:'#e86868' xc:'#f09494' xc:'#f6c0c0' xc:'#fbe2e2' \
    xc:'#a04040' xc:'#7a1a1a' \
    +append "$work/palette.png"
for size in 16 32; do
    rsvg-convert -w "$size" -h "$size" stopwatch.svg -o "$work/icon-$size.png"
    $IM "$work/icon-$size.png" -channel A -threshold 35% +channel \
        -write mpr:src -alpha off -dither None -remap "$work/palette.png" \
        \( mpr:src -alpha extract \) -alpha off \
        -compose CopyOpacity -composite -strip \
        PNG8:"stopwatch-$size.png"
    optimise any "stopwatch-$size.png"
done

# --- Windows icon ----------------------------------------------------------
rm -f stopwatch.ico
if command -v icotool >/dev/null 2>&1; then
    icotool -c -o stopwatch.ico stopwatch-32.png stopwatch-16.png
else
    $IM stopwatch-32.png stopwatch-16.png stopwatch.ico
fi

echo "images written to $(pwd)"
