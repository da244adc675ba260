#!/usr/bin/env bash
# The Win32 program under Wine listing a cached tree of 5,000 small files,
# once to NUL (/dev/null) and once to a file, timed by hyperfine in one run;
# with a reference korven.exe named (an earlier build), the same for it beside.
# Prints the median of each run and the ratios.
#
#   scripts/bench_wine.sh                       this build
#   scripts/bench_wine.sh OTHER/korven.exe      this build beside OTHER
#   KORVEN_BENCH_ROUNDS=5 scripts/bench_wine.sh fewer rounds (default 10)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
reference=${1:-}
rounds=${KORVEN_BENCH_ROUNDS:-10}
bash "$root/scripts/setup.sh" hyperfine python3
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

commands=("$loader $build/korven.exe -r -v")
names=(korven)
if [ -n "$reference" ]; then
  commands+=("$loader $(readlink -f "$reference") -r -v")
  names+=(reference)
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$tree"
for target in null file; do
  output=null
  [ "$target" = file ] && output=$scratch/listing.txt
  hyperfine -N --warmup 2 --runs "$rounds" --output="$output" --export-json "$scratch/$target.json" \
    "${commands[@]}" >/dev/null
done
python3 - "$scratch" "${names[@]}" <<'PY'
import json, statistics, sys
scratch, names = sys.argv[1], sys.argv[2:]
median = {}
for target in ("null", "file"):
    results = json.load(open(f"{scratch}/{target}.json"))["results"]
    for name, result in zip(names, results):
        median[name, target] = statistics.median(result["times"])
        print(f"{name:9} to {'NUL ' if target == 'null' else 'file'} median {median[name, target] * 1000:7.1f} ms")
for name in names:
    print(f"{name:9} NUL / file: {median[name, 'null'] / median[name, 'file']:.2f}")
if "reference" in names:
    for target in ("null", "file"):
        print(f"to {'NUL ' if target == 'null' else 'file'}: reference / korven {median['reference', target] / median['korven', target]:.2f}")
PY
