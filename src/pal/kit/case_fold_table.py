#!/usr/bin/env python3
"""Prints the run table of case_fold.cpp: Unicode simple case folding
(CaseFolding.txt statuses C and S) for every code point, as runs of
(first, last, delta, stride). Derived from Python's own Unicode database, so
the table follows that Python's Unicode version."""
import unicodedata


def simple_fold(cp):
    c = chr(cp)
    folded = c.casefold()  # statuses C and F
    if len(folded) == 1:
        return ord(folded)
    lower = c.lower()  # where F expands, S is the single-character lower case
    return ord(lower) if len(lower) == 1 else cp


runs = []
for cp in range(0x110000):
    if 0xD800 <= cp < 0xE000:
        continue
    delta = simple_fold(cp) - cp
    if delta == 0:
        continue
    if runs:
        first, last, run_delta, stride = runs[-1]
        if run_delta == delta and cp - last == stride:
            runs[-1][1] = cp
            continue
        if run_delta == delta and first == last and cp - last in (1, 2):
            runs[-1][1], runs[-1][3] = cp, cp - last
            continue
    runs.append([cp, cp, delta, 1])

print(f"// Unicode {unicodedata.unidata_version}: {len(runs)} runs")
for first, last, delta, stride in runs:
    print(f"    {{0x{first:04X}, 0x{last:04X}, {delta}, {stride}}},")
