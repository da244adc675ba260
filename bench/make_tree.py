"""Writes the benchmark tree: 50,000 files of 0-8 KiB of random bytes in
1,000 directories (10 groups of 100), the same tree for the same seed."""
import os
import random
import sys

root = sys.argv[1]
random.seed(42)
for d in range(1000):
    directory = os.path.join(root, f"d{d // 100:02d}", f"sub{d:04d}")
    os.makedirs(directory, exist_ok=True)
    for f in range(50):
        with open(os.path.join(directory, f"file{f:02d}.dat"), "wb") as out:
            out.write(random.randbytes(random.randint(0, 8192)))
