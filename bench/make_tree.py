"""Writes the benchmark tree: 50 files of 0-8 KiB of random bytes in each of
1,000 directories (groups of 100), 50,000 files, or in as many directories as
the second argument says; the same tree for the same seed.

    python3 make_tree.py ROOT [DIRECTORIES]"""
import os
import random
import sys

root = sys.argv[1]
directories = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
random.seed(42)
for d in range(directories):
    directory = os.path.join(root, f"d{d // 100:02d}", f"sub{d:04d}")
    os.makedirs(directory, exist_ok=True)
    for f in range(50):
        with open(os.path.join(directory, f"file{f:02d}.dat"), "wb") as out:
            out.write(random.randbytes(random.randint(0, 8192)))
