#!/usr/bin/env python3
"""Generates the copy benchmark's source trees, the same on every run (fixed seed).

  make_trees.py <folder> [scale]

small: about 5,000 small files in nested folders.
big:   four files of 64 MB.
mixed: 20,000 files, 2,000 of them below a .git folder; every other file was last written
       two days ago, the rest an hour ago.
folders: 6,000 files of 1 to 4 KB, one or two to each of 4,000 small folders.
names: 3,000 files named in Greek, Japanese, Cyrillic and accented Latin letters (look-alike
       pairs among them) at paths of about 300 to 1,000 characters.
scale (default 1) multiplies the file counts, for a quick run or a memory check.
"""
import os
import random
import sys
import time


def write(path, size, rng):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(rng.randbytes(size))


def nested(root, count, rng, prefix="d"):
    """count files spread over three levels of folders, 1 to 8 KB each."""
    paths = []
    per_leaf = 10
    leaves = max(1, count // per_leaf)
    for leaf in range(leaves):
        a, b, c = leaf // 100, (leaf // 10) % 10, leaf % 10
        folder = os.path.join(root, f"{prefix}{a:02}", f"sub{b}", f"leaf{c}")
        for i in range(per_leaf):
            path = os.path.join(folder, f"file{i:02}.dat")
            write(path, rng.randint(1024, 8192), rng)
            paths.append(path)
    return paths


def main():
    out = sys.argv[1]
    scale = float(sys.argv[2]) if len(sys.argv) > 2 else 1.0
    rng = random.Random(20250423)

    nested(os.path.join(out, "small"), int(5000 * scale), rng)

    block = rng.randbytes(1 << 20)
    for i in range(4):
        path = os.path.join(out, "big", f"image{i}.bin")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            for _ in range(64):
                f.write(block)

    mixed = os.path.join(out, "mixed")
    files = nested(mixed, int(18000 * scale), rng)
    files += nested(os.path.join(mixed, ".git"), int(2000 * scale), rng, prefix="objects")
    now = time.time()
    for n, path in enumerate(sorted(files)):
        age = 2 * 86400 if n % 2 else 3600
        os.utime(path, (now - age, now - age))
    folders = os.path.join(out, "folders")
    for leaf in range(int(4000 * scale)):
        folder = os.path.join(folders, f"a{leaf // 200:02}", f"b{(leaf // 10) % 20:02}", f"c{leaf % 10}")
        for i in range(1 + leaf % 2):
            write(os.path.join(folder, f"page{i}.html"), rng.randint(1024, 4096), rng)

    # Folder names of 60 characters; chains of 4 to 15 of them give paths of about 300 to
    # 1,000 characters (a file system's name limit of 255 bytes holds for each).
    names = os.path.join(out, "names")
    letters = ["Ωmega", "Omega", "日本語", "Ελληνικά", "Кириллица", "café-Ü"]
    for chain in range(int(60 * scale)):
        depth = 4 + chain % 12
        folder = names
        for level in range(depth):
            word = letters[(chain + level) % len(letters)]
            folder = os.path.join(folder, (f"{word}-{chain:02}-{level:02}-" * 8)[:60])
        for i in range(50):
            write(os.path.join(folder, f"{letters[i % len(letters)]}-{i:02}.txt"), rng.randint(256, 4096), rng)


if __name__ == "__main__":
    main()
