#!/usr/bin/env bash
# Listing speed against the floor and against other tools, timed by hyperfine,
# each figure a ratio to a reference measured in the same run: the commands
# of a section take turns, one run each, and a ratio is the median of the
# ratios of the rounds. The floor is
# bench/walk_floor: N threads that only read the directories and statx, open,
# read and close every file, with no CRC and no output.
#
#   cached  the 50,000-file tree in the page cache: korven -r (the defaults,
#           named streams on) beside korven -r -S (no named streams), the
#           floor with N = the number of processors, rhash --crc32 -r and
#           7-Zip's CRC32 hash; then the system calls per file of each
#           (strace -c -f).
#   cold    the same tree with the page cache dropped before every run (needs
#           root; skipped with a note where it cannot be dropped), fewer
#           rounds: korven -r, rhash, 7-Zip and the floor with N = 1 to 64,
#           korven's time as a ratio to the best floor.
#   big     one 1 GiB file, cold: korven beside dd bs=1M. Then, once the
#           program has --threads, 8 files of 256 MiB, cached: korven -r
#           --threads=1 beside the default.
#   check   korven --check of the tree's listing beside making that listing
#           (-r -M -o), and korven --check of its SFV file beside rhash -c of
#           the same file.
#
# The tree, the big files and walk_floor are made once in the build folder.
#
#   scripts/bench_tree.sh                   every section, 15 timed rounds each
#   scripts/bench_tree.sh 5 cold            only the cold section, 5 rounds
#                                           (cold runs take a third, at least 3)
#
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=15
section=all
for arg in "$@"; do
  case $arg in
    cached | cold | big | check | all) section=$arg ;;
    '' | *[!0-9]*)
      echo "usage: scripts/bench_tree.sh [ROUNDS] [cached|cold|big|check|all]" >&2
      exit 2
      ;;
    *) rounds=$arg ;;
  esac
done
cold_rounds=$((rounds / 3 > 3 ? rounds / 3 : 3))
wants() { [ "$section" = all ] || [ "$section" = "$1" ]; }

bash "$root/scripts/setup.sh" rhash 7zip hyperfine strace python3
build=${KORVEN_BENCH_BUILD:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVEN_TESTS=OFF >/dev/null
cmake --build "$build" --target korven >/dev/null
korven=$build/korven
floor=$build/walk_floor
if [ ! -x "$floor" ] || [ "$root/bench/walk_floor.cc" -nt "$floor" ]; then
  g++ -std=c++20 -O2 -pthread -Wall -Wextra -Werror -o "$floor" "$root/bench/walk_floor.cc"
fi
tree=$build/tree50k
if [ ! -f "$tree/d09/sub0999/file49.dat" ]; then
  rm -rf "$tree"
  python3 "$root/bench/make_tree.py" "$tree"
  sync  # writing the tree back must not overlap the timed runs
fi
processors=$(nproc)
sevenzip="7zz h -scrcCRC32 -r ."
drop_caches='sh -c "sync; echo 3 > /proc/sys/vm/drop_caches"'
json=$(mktemp)
counts=$(mktemp)
trap 'rm -f "$json" "$json".* "$counts"' EXIT

# Times the named commands (hyperfine's -n NAME COMMAND pairs, after any
# further hyperfine options) in ROUNDS passes, each command once a pass in
# turn: a machine that slows for a while slows every command alike, where
# rounds of one command after another would charge it to one of them. WARMUP
# runs of each command come before the first pass.
time_rounds() {
  local rounds=$1 warmup=$2 pass
  shift 2
  rm -f "$json".*
  for ((pass = 1; pass <= rounds; pass++)); do
    hyperfine -N --warmup "$warmup" --runs 1 --export-json "$json.$pass" "$@" >/dev/null
    warmup=0
  done
}

# Prints the median time of every command time_rounds timed, then runs the
# Python lines on stdin with `median`, in seconds by name, ratio(a, b): the
# median over the passes of a's time over b's in the same pass, and
# spread(a, b): the lowest and highest of those ratios, as text.
report() {
  python3 -c "import glob, json, statistics, sys
passes = [{r['command']: r['times'][0] for r in json.load(open(f))['results']} for f in glob.glob(sys.argv[1] + '.*')]
median = {name: statistics.median(p[name] for p in passes) for name in passes[0]}
def ratio(a, b):
    return statistics.median(p[a] / p[b] for p in passes)
def spread(a, b):
    ratios = [p[a] / p[b] for p in passes]
    return f'(rounds {min(ratios):.2f}-{max(ratios):.2f}x)'
for name, seconds in median.items():
    print(f'{name:14} median {seconds * 1000:8.1f} ms')
$(cat)" "$json"
}

# Whether this run may drop the page cache: only root, and only where
# /proc/sys/vm is writable (not in every container).
can_drop_caches() {
  sync
  (echo 3 >/proc/sys/vm/drop_caches) 2>/dev/null
}

# Makes FILE of MIB mebibytes of random bytes once (no holes, so that every
# read reaches the disk), if the build folder has room for it and a spare GiB.
make_big_file() {
  local file=$1 mib=$2 free_kib
  [ -f "$file" ] && return 0
  free_kib=$(df -Pk "$build" | awk 'NR == 2 { print $4 }')
  if [ "$free_kib" -lt $(((mib + 1024) * 1024)) ]; then
    echo "big: skipped, $((free_kib / 1024)) MiB free in $build is too little for $mib MiB and a spare GiB"
    return 1
  fi
  mkdir -p "$(dirname "$file")"
  dd if=/dev/urandom of="$file.part" bs=1M count="$mib" iflag=fullblock status=none || return 1
  mv "$file.part" "$file"
  sync
}

if wants cached; then
  echo "== cached: 50,000 files, $rounds rounds"
  cd "$tree"
  names=(korven "korven -S" rhash 7zz "floor N=$processors")
  commands=("$korven . -r" "$korven . -r -S" "rhash --crc32 -r ." "$sevenzip" "$floor . $processors")
  named=()
  for i in "${!names[@]}"; do named+=(-n "${names[$i]}" "${commands[$i]}"); done
  time_rounds "$rounds" 3 "${named[@]}"
  report <<'PY'
floor = next(name for name in median if name.startswith("floor"))
print(f"korven with streams takes {ratio('korven', 'korven -S'):.3f}x the time of korven -S")
print(f"korven takes {ratio('korven', floor):.2f}x the time of the {floor} {spread('korven', floor)}")
for other in ("rhash", "7zz"):
    print(f"korven is {ratio(other, 'korven'):.2f}x faster than {other}")
PY
  files=$(find . -type f | wc -l)
  for i in "${!names[@]}"; do
    # shellcheck disable=SC2086 # the command split into its words
    strace -f -c -o "$counts" ${commands[$i]} >/dev/null 2>&1
    calls=$(awk '$NF == "total" { print $(NF - 2) }' "$counts")
    awk -v c="$calls" -v f="$files" -v n="${names[$i]}" \
      'BEGIN { printf "%-14s %.2f system calls per file (%d in all, %d files)\n", n, c / f, c, f }'
    # Tracing slows every read, and korven asks the kernel after each slow
    # read whether the disk fetched blocks for it: calls an untraced run
    # from memory does not make.
    awk -v n="${names[$i]}" '$NF == "getrusage" && $4 > 0 {
      printf "%-14s   of them %d getrusage after reads that tracing slowed\n", n, $4 }' "$counts"
  done
fi

if wants cold; then
  if ! can_drop_caches; then
    echo "== cold: skipped, the page cache cannot be dropped here (needs root and a writable /proc/sys/vm/drop_caches)"
  else
    echo "== cold: 50,000 files, page cache dropped before every run, $cold_rounds rounds"
    cd "$tree"
    named=(-n korven "$korven . -r" -n rhash "rhash --crc32 -r ." -n 7zz "$sevenzip")
    for n in 1 2 4 8 16 32 64; do named+=(-n "floor N=$n" "$floor . $n"); done
    time_rounds "$cold_rounds" 0 --prepare "$drop_caches" "${named[@]}"
    report <<'PY'
floors = {name: seconds for name, seconds in median.items() if name.startswith("floor")}
best = min(floors, key=floors.get)
print(f"best floor: {best}, {floors[best] * 1000:.1f} ms")
print(f"korven takes {ratio('korven', best):.2f}x the time of the best floor ({best}) {spread('korven', best)}")
for other in ("rhash", "7zz"):
    print(f"korven is {ratio(other, 'korven'):.2f}x faster than {other}")
PY
  fi
fi

if wants big; then
  echo "== big: one 1 GiB file, cold, $cold_rounds rounds"
  one=$build/big-one/file.bin
  if ! can_drop_caches; then
    echo "big: the cold 1 GiB file is skipped, the page cache cannot be dropped here (needs root and a writable /proc/sys/vm/drop_caches)"
  elif make_big_file "$one" 1024; then
    time_rounds "$cold_rounds" 0 --prepare "$drop_caches" \
      -n korven "$korven $(dirname "$one")" -n dd "dd if=$one of=/dev/null bs=1M"
    report <<'PY'
print(f"korven takes {ratio('korven', 'dd'):.2f}x the time of dd bs=1M {spread('korven', 'dd')}")
PY
  fi
  if ! "$korven" --help | grep -q -- --threads; then
    echo "big: korven has no --threads yet, the 8 x 256 MiB comparison is skipped"
  else
    echo "== big: 8 files of 256 MiB, cached, $rounds rounds"
    eight=$build/big-eight
    made=yes
    for i in 1 2 3 4 5 6 7 8; do make_big_file "$eight/file$i.bin" 256 || { made=no; break; }; done
    if [ "$made" = yes ]; then
      time_rounds "$rounds" 2 -n "threads=1" "$korven $eight -r --threads=1" -n default "$korven $eight -r"
      report <<'PY'
print(f"korven with its default threads takes {ratio('default', 'threads=1'):.2f}x the time of --threads=1 {spread('default', 'threads=1')}")
PY
    fi
  fi
fi

if wants check; then
  echo "== check: the 50,000-file tree's listing and SFV file, $rounds rounds"
  # The listing and the SFV file lie beside the tree, so that its relative
  # names serve rhash -c too, which takes them from the current directory.
  cd "$build"
  "$korven" tree50k -r -M -o tree50k-list.txt 2>/dev/null
  "$korven" tree50k -r --sfv -o tree50k.sfv 2>/dev/null
  time_rounds "$rounds" 3 \
    -n list "$korven tree50k -r -M -o tree50k-list-again.txt" \
    -n check-list "$korven --check tree50k-list.txt" \
    -n check-sfv "$korven --check tree50k.sfv" \
    -n rhash-c "rhash -c tree50k.sfv"
  report <<'PY'
print(f"--check of the listing takes {ratio('check-list', 'list'):.2f}x the time of making it")
print(f"--check of the SFV file is {ratio('rhash-c', 'check-sfv'):.2f}x faster than rhash -c")
PY
fi
