#!/usr/bin/env bash
# Draws the licence badges shown on scene cards and in the details pane
# (our own artwork, not the licensors' logos) and the application icon.
# Needs ImageMagick. The results are committed; run again after changes.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

badge() { # name label colour
    convert -size 88x31 xc:none \
        -fill "$3" -draw "roundrectangle 0,0 87,30 6,6" \
        -fill "#ffffff" -draw "circle 15,15 15,5" \
        -fill "$3" -font "$font" -pointsize 9 -gravity west -annotate +8+0 "cc" \
        -fill "#ffffff" -pointsize 11 -gravity west -annotate +30+0 "$2" \
        "$here/$1.png"
}
badge cc0         "CC0"      "#607D8B"
badge cc0-1.0     "CC0"      "#607D8B"   # the licence's full name is "CC0 1.0"
badge cc-by       "BY"       "#2E7D32"
badge cc-by-sa    "BY-SA"    "#2E7D32"
badge cc-by-nc    "BY-NC"    "#EF6C00"
badge cc-by-nc-sa "BY-NC-SA" "#EF6C00"
badge cc-by-nd    "BY-ND"    "#C62828"
badge cc-by-nc-nd "BY-NC-ND" "#C62828"

# Application icon: concentric sound rings over a dark square.
dist="$here/../../dist"
convert -size 256x256 xc:none \
    -fill "#1C262B" -draw "roundrectangle 8,8 247,247 48,48" \
    -fill none -stroke "#4FC3F7" -strokewidth 14 -draw "circle 128,128 128,52" \
    -stroke "#81C784" -strokewidth 12 -draw "circle 128,128 128,82" \
    -stroke none -fill "#FFB74D" -draw "circle 128,128 128,108" \
    "$dist/kelvra-config.png"
