#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the walk benchmark's tree: a photo collection of FILES empty files in
FOLDERS folders (the top folder included), BITMAPS of them bitmaps by name
(".bmp" and ".bitmap" in mixed letter case), the rest other files, with some
hidden files. The same seed gives the same tree, name for name.

    make_tree.py TREE [--files 100000] [--folders 2000] [--bitmaps 52000] [--seed 8]
"""
import argparse
import os
import random
import sys


def main():
    p = argparse.ArgumentParser()
    p.add_argument("tree")
    p.add_argument("--files", type=int, default=100000)
    p.add_argument("--folders", type=int, default=2000)
    p.add_argument("--bitmaps", type=int, default=52000)
    p.add_argument("--seed", type=int, default=8)
    a = p.parse_args()
    if a.bitmaps > a.files or a.folders < 1:
        sys.exit("make_tree.py: bitmaps must not exceed files, and there is at least one folder")
    rng = random.Random(a.seed)

    # Folders: each new one goes under a random earlier one, shallow ones
    # preferred, so the tree is a few levels deep like a real collection.
    words = ["Holidays", "holidays", "2019", "2020", "2021", "Family", "raw", "Scans", "Wallpapers",
             "camera", "Phone", "Best of", "edits", "Trip", "misc", "Archive"]
    folders = [""]
    children = {"": set()}
    while len(folders) < a.folders:
        parent = folders[min(int(rng.expovariate(1.0) * len(folders) / 4), len(folders) - 1)]
        name = "%s %d" % (rng.choice(words), rng.randrange(1000))
        if name.lower() in children[parent]:
            continue
        children[parent].add(name.lower())
        path = os.path.join(parent, name) if parent else name
        folders.append(path)
        children[path] = set()

    # Files: kinds first, then spread over the folders at random.
    bitmap_endings = [".bmp", ".bmp", ".BMP", ".bitmap", ".Bmp"]
    other_endings = [".jpg", ".JPG", ".png", ".txt", ".xmp", ".mp4", ".bmp.txt", ""]
    prefixes = ["IMG_", "img_", "DSC", "Scan ", "photo-", "P", "_MG", "Screenshot "]
    kinds = [True] * a.bitmaps + [False] * (a.files - a.bitmaps)
    rng.shuffle(kinds)
    taken = {f: set() for f in folders}
    os.makedirs(a.tree, exist_ok=True)
    for f in folders[1:]:
        os.mkdir(os.path.join(a.tree, f))
    for i, bitmap in enumerate(kinds):
        folder = rng.choice(folders)
        while True:
            name = "%s%05d" % (rng.choice(prefixes), rng.randrange(100000))
            if not bitmap and rng.random() < 0.02:
                name = "." + name  # a hidden file, never listed
            name += rng.choice(bitmap_endings if bitmap else other_endings)
            if name.lower() not in taken[folder]:
                break
        taken[folder].add(name.lower())
        open(os.path.join(a.tree, folder, name), "wb").close()


if __name__ == "__main__":
    main()
