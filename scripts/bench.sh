#!/usr/bin/env bash
# CRC-32 benchmarks: builds Release with -DKORVEN_BENCH=ON and prints the
# throughput of each kernel, the byte table, zlib, libdeflate, ISA-L and memcpy
# (GB/s and ratios from the same run), then FileCrc against dd bs=1M on a
# cached 1 GiB file (made once in the build folder).
#
#   scripts/bench.sh                       everything
#   scripts/bench.sh --benchmark_filter=60000 --file_rounds=0
#
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh" libbenchmark-dev libdeflate-dev libisal-dev zlib1g-dev
build=${KORVEN_BENCH_BUILD:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVEN_BENCH=ON -DKORVEN_TESTS=OFF >/dev/null
cmake --build "$build" --target korven_bench
exec "$build/bench/korven_bench" --file="$build/korven-bench-1GiB.bin" "$@"
