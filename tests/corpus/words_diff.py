#!/usr/bin/python3
"""Counts the words of two `pdftotext -bbox` outputs that have no twin in the other: the same
word within half a point of the same place. cairo places a text relative to the text before
it, so the texts around a word may move it by a fraction of a point.
  words_diff.py A.html B.html   prints the count"""
import re
import sys

WORD = re.compile(r'<word xMin="(-?[0-9.]+)" yMin="(-?[0-9.]+)"[^>]*>(.*?)</word>')


def words(path):
    found = {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for x, y, w in WORD.findall(f.read()):
            found.setdefault(w, []).append((float(x), float(y)))
    return found


def unmatched(a, b):
    count = 0
    for word, places in a.items():
        others = list(b.get(word, []))
        for x, y in places:
            near = [i for i, (u, v) in enumerate(others) if abs(u - x) <= 0.5 and abs(v - y) <= 0.5]
            if near:
                others.pop(near[0])
            else:
                count += 1
    return count


a, b = words(sys.argv[1]), words(sys.argv[2])
print(unmatched(a, b) + unmatched(b, a))
