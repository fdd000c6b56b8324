#!/usr/bin/env python3
"""Prints the run table of src/platform/CaseFold.cpp from this Python's
Unicode data: for every BMP character, the one it folds to when names are
compared as a Windows volume compares them (both upper-cased by the simple
mapping), written lower-case where the lower-case letter upper-cases back."""
import unicodedata


def single(text, c):
    return ord(text) if len(text) == 1 and ord(text) < 0x10000 else c


def fold(c):
    upper = single(chr(c).upper(), c)
    lower = single(chr(upper).lower(), upper)
    return lower if single(chr(lower).upper(), lower) == upper else upper


runs = []
for c in range(0x80, 0x10000):
    if 0xD800 <= c < 0xE000:
        continue
    delta = fold(c) - c
    if delta == 0:
        continue
    if runs:
        first, last, stride, d = runs[-1]
        if d == delta and ((stride == 0 and c - last in (1, 2)) or (stride and c - last == stride)):
            runs[-1] = (first, c, stride or c - last, d)
            continue
    runs.append((c, c, 0, delta))

print(f"// Unicode {unicodedata.unidata_version}: {{first, last, stride, delta}}")
for first, last, stride, delta in runs:
    print(f"    {{0x{first:04X}, 0x{last:04X}, {max(stride, 1)}, {delta}}},")
