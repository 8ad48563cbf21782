#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the small pictures the reader's tests keep in the repository (for
# the builds that cannot make them at test time, such as the Windows one
# under Wine), and their reference decodes by ImageMagick. Run by hand:
#   tests/data/photo/make.sh
set -eu
cd "$(dirname "$0")"
convert=/usr/bin/convert
exif6() { # inserts an EXIF block with orientation 6 after a JPEG's SOI
    python3 - "$1" "$2" <<'PY'
import struct, sys
tiff = b'II*\x00' + struct.pack('<IH', 8, 1) + struct.pack('<HHIHH', 0x112, 3, 1, 6, 0) + struct.pack('<I', 0)
app = b'Exif\x00\x00' + tiff
data = open(sys.argv[1], 'rb').read()
open(sys.argv[2], 'wb').write(data[:2] + b'\xff\xe1' + struct.pack('>H', len(app) + 2) + app + data[2:])
PY
}
$convert -size 61x43 -seed 11 plasma:fractal -depth 8 -define png:color-type=2 photo.png
$convert photo.png -quality 92 photo.jpg
$convert photo.png -colors 64 photo.gif
$convert photo.png -compress lzw photo.tif
$convert photo.png -define webp:lossless=true photo.webp
# Stored turned a quarter anticlockwise, with the tag that rights it.
$convert photo.png -rotate -90 -quality 92 turned.jpg
exif6 turned.jpg rotated6.jpg
rm turned.jpg
$convert -size 40x30 gradient:red-blue \( -size 40x30 gradient:white-black \) -alpha off \
    -compose copy_opacity -composite -depth 8 -define png:color-type=6 alpha.png
for f in photo.png photo.jpg photo.gif photo.tif photo.webp; do
    $convert "$f" -depth 8 "ppm:$f.ppm"
done
$convert alpha.png -background black -alpha remove -depth 8 ppm:alpha.png.ppm
