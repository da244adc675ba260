#!/usr/bin/env bash
# Listing a cached tree of 50,000 small files: korven -r beside rhash --crc32 -r
# and 7-Zip's CRC32 hash of the same tree, and korven -r -S (no named streams)
# as the reference the default run is measured against, timed by hyperfine in
# one run, then the system calls per file of each (strace -c -f). Then
# checking the tree: korven --check of its listing beside making that listing
# (-r -M -o), and korven --check of its SFV file beside rhash -c of the same
# file. The tree is made once in the build folder.
#
#   scripts/bench_tree.sh             runs 15 timed rounds each
#   scripts/bench_tree.sh 5           runs 5
#
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-15}
bash "$root/scripts/setup.sh" rhash 7zip hyperfine strace python3
build=${KORVEN_BENCH_BUILD:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVEN_TESTS=OFF >/dev/null
cmake --build "$build" --target korven >/dev/null
tree=$build/tree50k
if [ ! -f "$tree/d09/sub0999/file49.dat" ]; then
  rm -rf "$tree"
  python3 "$root/bench/make_tree.py" "$tree"
  sync  # writing the tree back must not overlap the timed runs
fi
files=$(find "$tree" -type f | wc -l)

cd "$tree"
json=$(mktemp)
trap 'rm -f "$json"' EXIT
commands=("$build/korven . -r" "$build/korven . -r -S" "rhash --crc32 -r ." "7zz h -scrcCRC32 .")
hyperfine -N --warmup 3 --runs "$rounds" --export-json "$json" "${commands[@]}" >/dev/null
python3 - "$json" <<'PY'
import json, statistics, sys
results = json.load(open(sys.argv[1]))["results"]
def name(command):
    words = command.split()
    return " ".join([words[0].rsplit("/", 1)[-1]] + [w for w in words[1:] if w.startswith("-S")])
median = {name(r["command"]): statistics.median(r["times"]) for r in results}
for command, seconds in median.items():
    print(f"{command:10} median {seconds * 1000:7.1f} ms")
print(f"korven with streams takes {median['korven'] / median['korven -S']:.3f}x the time of korven -S")
for other in ("rhash", "7zz"):
    print(f"korven is {median[other] / median['korven']:.2f}x faster than {other}")
PY
counts=$(mktemp)
trap 'rm -f "$json" "$counts"' EXIT
for command in "${commands[@]}"; do
  strace -f -c -o "$counts" $command >/dev/null 2>&1
  calls=$(awk '$NF == "total" { print $(NF - 2) }' "$counts")
  name=$(basename "${command%% *}")
  case $command in *" -S") name="$name -S" ;; esac
  awk -v c="$calls" -v f="$files" -v n="$name" \
    'BEGIN { printf "%-10s %.2f system calls per file (%d in all, %d files)\n", n, c / f, c, f }'
done

# The listing and the SFV file lie beside the tree, so that its relative
# names serve rhash -c too, which takes them from the current directory.
cd "$build"
"$build/korven" tree50k -r -M -o tree50k-list.txt 2>/dev/null
"$build/korven" tree50k -r --sfv -o tree50k.sfv 2>/dev/null
hyperfine -N --warmup 3 --runs "$rounds" --export-json "$json" \
  -n list "$build/korven tree50k -r -M -o tree50k-list-again.txt" \
  -n check-list "$build/korven --check tree50k-list.txt" \
  -n check-sfv "$build/korven --check tree50k.sfv" \
  -n rhash-c "rhash -c tree50k.sfv" >/dev/null
python3 - "$json" <<'PY'
import json, statistics, sys
results = json.load(open(sys.argv[1]))["results"]
median = {r["command"]: statistics.median(r["times"]) for r in results}
for name, seconds in median.items():
    print(f"{name:10} median {seconds * 1000:7.1f} ms")
print(f"--check of the listing takes {median['check-list'] / median['list']:.2f}x the time of making it")
print(f"--check of the SFV file is {median['rhash-c'] / median['check-sfv']:.2f}x faster than rhash -c")
PY
