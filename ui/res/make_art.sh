#!/usr/bin/env bash
# Draws the program's icon (32 x 32, 256 colours) and the About window's banner (204 x 56) with ImageMagick.
# The outputs are committed; run this again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

font=DejaVu-Sans-Bold

# Icon: a map tile (dark green land, blue water) with a gold "Q" over it, drawn large and scaled
# down so that the edges stay smooth, then reduced to a 256-colour palette.
convert -size 128x128 xc:none \
    -fill '#1d3f8f' -draw 'roundrectangle 4,4 123,123 18,18' \
    -fill '#2f7d32' -draw 'polygon 14,30 60,14 110,26 114,70 84,112 30,114 12,80' \
    -fill '#4f9f45' -draw 'polygon 30,40 62,28 92,40 96,72 70,96 36,92' \
    -stroke '#0b1f4a' -strokewidth 6 -fill none -draw 'roundrectangle 4,4 123,123 18,18' \
    -stroke none -fill '#ffd23f' -font "$font" -pointsize 104 -gravity center -annotate +0-4 'Q' \
    -stroke '#7a5a00' -strokewidth 3 -fill none -font "$font" -pointsize 104 -gravity center -annotate +0-4 'Q' \
    "$tmp/icon-large.png"
convert "$tmp/icon-large.png" -filter Lanczos -resize 32x32 \
    -background '#000000' -alpha background -colors 255 -type Palette "$tmp/icon32.png"
convert "$tmp/icon32.png" qrvl.ico

# Banner: the program's name over a night-sky gradient with a row of small map tiles.
convert -size 204x56 gradient:'#0b1f4a'-'#2c5cc5' \
    -fill '#2f7d32' -draw 'rectangle 6,38 20,50' -draw 'rectangle 24,38 38,50' -draw 'rectangle 42,38 56,50' \
    -fill '#ffd23f' -draw 'rectangle 60,38 74,50' \
    -fill '#ffd23f' -font "$font" -pointsize 21 -gravity northwest -annotate +8+6 'Quorvel picker' \
    -fill '#c8d8ff' -font DejaVu-Sans -pointsize 10 -gravity southeast -annotate +8+6 'random maps' \
    -colors 256 -type Palette BMP3:banner.bmp

identify qrvl.ico banner.bmp
