#!/usr/bin/python3
"""Compares what two directory runs left in their plot directories.

    compare-plot-dirs.py EXPECTED ACTUAL

The file names must agree; .mi and DXF files (and every other file) byte for byte; PDF files,
which carry their creation time, by page count, page sizes and text (pdfinfo, pdftotext).
The run's own hidden entries (".tavrin-state", ".runs") and folders are left out. Prints one
line per difference and exits 1 when there is any.
"""
import os
import subprocess
import sys


def listed(directory):
    return sorted(
        name for name in os.listdir(directory)
        if not name.startswith(".") and os.path.isfile(os.path.join(directory, name)))


def pdf_facts(path):
    info = subprocess.run(["pdfinfo", "-l", "9999", path], capture_output=True, text=True)
    pages = [line.split(":", 1)[1].strip() for line in info.stdout.splitlines()
             if line.startswith("Page") and "size" in line]
    text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True)
    return (info.returncode, pages, text.stdout)


def facts(path):
    if ".pdf" in os.path.basename(path):
        return pdf_facts(path)
    with open(path, "rb") as f:
        return f.read()


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    expected, actual = sys.argv[1], sys.argv[2]
    a, b = listed(expected), listed(actual)
    differences = []
    for name in sorted(set(a) - set(b)):
        differences.append(f"missing: {name}")
    for name in sorted(set(b) - set(a)):
        differences.append(f"extra: {name}")
    for name in sorted(set(a) & set(b)):
        if facts(os.path.join(expected, name)) != facts(os.path.join(actual, name)):
            differences.append(f"differs: {name}")
    for line in differences:
        print(line)
    print(f"{len(a)} files expected, {len(b)} found, {len(differences)} differences")
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main())
