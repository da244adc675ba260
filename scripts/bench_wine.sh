#!/usr/bin/env bash
# The Win32 program under Wine listing a cached tree of 5,000 small files,
# once to NUL (/dev/null) and once to a file, timed in one run; with a
# reference korven.exe named (an earlier build), the same for it beside.
# Prints the median of each and the ratios.
#
#   scripts/bench_wine.sh                       this build
#   scripts/bench_wine.sh OTHER/korven.exe      this build beside OTHER
#   KORVEN_BENCH_ROUNDS=5 scripts/bench_wine.sh fewer rounds (default 10)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
reference=${1:-}
rounds=${KORVEN_BENCH_ROUNDS:-10}
bash "$root/scripts/setup.sh" python3
build=${KORVEN_WIN_BUILD:-$root/build-win}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DKORVEN_TESTS=OFF >/dev/null
cmake --build "$build" --target korven >/dev/null
tree=$build/tree5k
if [ ! -f "$tree/d00/sub0099/file49.dat" ]; then
  rm -rf "$tree"
  python3 "$root/bench/make_tree.py" "$tree" 100
  sync
fi

export WINEPREFIX=${KORVEN_WINEPREFIX:-/tmp/korven-wineprefix} WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
# One server for every run, so no run pays for starting it.
"$(dirname "$(readlink -f "$loader")")/wineserver" -p60 || wineserver -p60

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$tree"
# Rounds go through every program and target in turn, so that a machine
# busier at one moment weighs on all of them alike.
python3 - "$rounds" "$scratch/listing.txt" "$loader" "$build/korven.exe" ${reference:+"$(readlink -f "$reference")"} <<'PY'
import statistics, subprocess, sys, time
rounds, listing, loader, programs = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4:]
names = ["korven", "reference"][: len(programs)]
targets = {"NUL ": "/dev/null", "file": listing}
times = {(name, target): [] for name in names for target in targets}
for round in range(rounds + 2):  # two rounds to warm up
    for name, program in zip(names, programs):
        for target, path in targets.items():
            with open(path, "wb") as out:
                start = time.perf_counter()
                subprocess.run([loader, program, "-r", "-v"], stdout=out, stderr=subprocess.DEVNULL, check=True)
                if round >= 2:
                    times[name, target].append(time.perf_counter() - start)
median = {key: statistics.median(value) for key, value in times.items()}
for (name, target), seconds in median.items():
    print(f"{name:9} to {target} median {seconds * 1000:7.1f} ms")
for name in names:
    print(f"{name:9} NUL / file: {median[name, 'NUL '] / median[name, 'file']:.2f}")
if "reference" in names:
    for target in targets:
        print(f"to {target}: reference / korven {median['reference', target] / median['korven', target]:.2f}")
PY
