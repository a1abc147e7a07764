#!/usr/bin/env bash
# Draws the About box's pictures once; the results are kept in the
# repository, so neither the build nor the tests run this. Needs ImageMagick
# and the DejaVu fonts.
#   about_logo.jpg: the maker's logo, 100 x 100, progressive colour JPEG
#   about_icon.png: the box's icon, 32 x 32, 16 colours
set -euo pipefail
cd "$(dirname "$0")"

convert -size 100x100 xc:white \
  \( -size 92x92 radial-gradient:'#3a8ee6'-'#123c8c' \) -geometry +4+4 -compose over -composite \
  -fill none -stroke white -strokewidth 3 -draw 'roundrectangle 4,4 95,95 14,14' \
  -stroke none -fill white -font DejaVu-Sans-Bold -pointsize 64 -gravity center \
  -annotate +0-4 'Q' \
  -fill '#ffcc33' -pointsize 26 -annotate +27+28 '?' \
  -fill '#ffcc33' -draw 'rectangle 14,84 58,88' \
  -alpha off -colorspace sRGB -type TrueColor -strip \
  -sampling-factor 1x1 -quality 90 -interlace JPEG about_logo.jpg

convert -size 32x32 xc:'#123c8c' \
  -fill none -stroke white -strokewidth 2 -draw 'roundrectangle 1,1 30,30 5,5' \
  -stroke none -fill white -font DejaVu-Sans-Bold -pointsize 22 -gravity center \
  -annotate +0-1 'Q' -fill '#ffcc33' -pointsize 11 -annotate +9+9 '?' \
  -colors 16 -strip PNG8:about_icon.png
