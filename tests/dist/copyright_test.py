#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The copyright file is machine-readable (DEP-5) as Debian's own parser reads
it: every paragraph's licence has its text, every Files pattern still names
files of the source tree, the project is GPL-3+ and the extender contract
MIT (Expat).
   copyright_test.py SOURCE_DIR"""
import fnmatch
import os
import sys

try:
    from debian import copyright as dep5
except ImportError:
    print("SKIP: python3-debian is not installed")
    sys.exit(77)

source = sys.argv[1]
with open(os.path.join(source, "dist", "copyright"), encoding="utf-8") as f:
    # strict: unknown fields or a wrong Format line are errors, not warnings
    parsed = dep5.Copyright(f, strict=True)

failures = []
header = parsed.header
if not header.upstream_name:
    failures.append("the header names no Upstream-Name")

with_text = {p.license.synopsis for p in parsed.all_license_paragraphs()}
files = []
for root, dirs, names in os.walk(source):
    dirs[:] = [d for d in dirs if d != ".git" and not d.startswith("build")]
    files += [os.path.relpath(os.path.join(root, n), source) for n in names]

for paragraph in parsed.all_files_paragraphs():
    licence = paragraph.license
    if not licence.text and licence.synopsis not in with_text:
        failures.append(f"{licence.synopsis} ({paragraph.files}) has no licence text")
    for pattern in paragraph.files:
        if not fnmatch.filter(files, pattern):
            failures.append(f"Files pattern {pattern} matches nothing in the source tree")


def licence_of(path):
    paragraph = parsed.find_files_paragraph(path)
    return paragraph.license.synopsis if paragraph else None


expected = {
    "core/src/extender_calls.cpp": "GPL-3+",
    "tools/vistrelctl/src/main.cpp": "GPL-3+",
    "extenders/sdk/include/vistrel_extender.h": "Expat",
    "tests/data/bmpsuite/g/pal8.bmp": "public-domain",
}
for path, licence in expected.items():
    if licence_of(path) != licence:
        failures.append(f"{path} is under {licence_of(path)}, not {licence}")

if failures:
    print("\n".join(failures), file=sys.stderr)
    sys.exit(1)
print(f"ok: {len(list(parsed.all_files_paragraphs()))} Files paragraphs, licences {sorted(with_text)}")
