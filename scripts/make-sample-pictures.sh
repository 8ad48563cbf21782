#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a few small 24-bit bitmap files (colour gradients) into a folder.
set -euo pipefail
folder=$1
mkdir -p "$folder"
python3 - "$folder" <<'PY'
import struct, sys, os
folder = sys.argv[1]
def bmp(path, w, h, colour):
    row = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(h):
        line = bytearray()
        for x in range(w):
            r, g, b = colour(x / max(w - 1, 1), y / max(h - 1, 1))
            line += bytes((int(b * 255), int(g * 255), int(r * 255)))
        pixels += line + bytes(row - len(line))
    header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + pixels)
bmp(os.path.join(folder, 'dawn.bmp'), 320, 200, lambda x, y: (1.0, 0.5 + 0.5 * y, 0.3 * x))
bmp(os.path.join(folder, 'sea.bmp'), 256, 256, lambda x, y: (0.1, 0.4 * y, 0.5 + 0.5 * x))
bmp(os.path.join(folder, 'forest.bmp'), 200, 300, lambda x, y: (0.1 * x, 0.3 + 0.6 * y, 0.2))
PY
