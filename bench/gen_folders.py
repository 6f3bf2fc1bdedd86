#!/usr/bin/env python3
"""A home of COUNT folders for the resident benchmarks: ten per folder, level
by level, named from a small vocabulary so that names repeat as in real homes.
Usage: gen_folders.py HOME COUNT"""
import os
import random
import sys

root, count = sys.argv[1], int(sys.argv[2])
words = ("project notes invoice budget report photos backup client design draft "
         "meeting team archive src docs assets old final taxes travel Research Data "
         "export Personal Work receipts music video thesis website api config").split()
rng = random.Random(7)
os.makedirs(root, exist_ok=True)
made = 0
level = [root]
while made < count:
    nxt = []
    for parent in level:
        for i in range(10):
            if made >= count:
                break
            name = " ".join(rng.choice(words) for _ in range(1 + rng.randrange(3))) + " %d" % i
            path = os.path.join(parent, name)
            os.mkdir(path)
            made += 1
            nxt.append(path)
    level = nxt
