// CRC-32 throughput of every kernel this processor has, next to the byte
// table, zlib, libdeflate, ISA-L and memcpy on the same buffers, and FileCrc
// over a cached file next to dd. Prints GB/s and ratios from one run.
#include <benchmark/benchmark.h>
#include <isa-l/crc.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "crc/crc.h"
#include "crc/crc_kernels.h"
#include "crc/file_crc.h"
#include "platform/file_system.h"
#include "platform/system.h"
#include "run/run.h"

namespace korven {
namespace {

constexpr size_t kCachedBytes = 60000;
constexpr size_t kLargeBytes = size_t{256} << 20;
constexpr uint64_t kFileBytes = uint64_t{1} << 30;
// Other work on the machine only ever slows a run down: the best repetition counts.
constexpr int kRepetitions = 3;

struct Buffer {
  explicit Buffer(size_t size)
      : bytes(static_cast<unsigned char*>(std::aligned_alloc(64, (size + 63) / 64 * 64)), std::free), size(size) {
    std::mt19937_64 random(size);
    for (size_t i = 0; i < size; i += 8) {
      uint64_t word = random();
      memcpy(bytes.get() + i, &word, std::min<size_t>(8, size - i));
    }
  }
  std::unique_ptr<unsigned char, void (*)(void*)> bytes;
  size_t size;
};

using Checksum = uint32_t (*)(const unsigned char*, size_t);

void Register(const std::string& name, Buffer* buffer, Checksum checksum) {
  benchmark::RegisterBenchmark(name.c_str(), [buffer, checksum](benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(checksum(buffer->bytes.get(), buffer->size));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * buffer->size));
  })->MinTime(buffer->size > kCachedBytes ? 1.0 : 0.3)->UseRealTime()->Repetitions(kRepetitions);
}

// Templates turn each kernel into a plain function pointer without captures.
template <size_t kIndex>
uint32_t Kernel(const unsigned char* bytes, size_t count) {
  return AvailableCrcKernels()[kIndex].update(0xFFFFFFFFu, bytes, count);
}
constexpr Checksum kKernels[] = {Kernel<0>, Kernel<1>, Kernel<2>, Kernel<3>, Kernel<4>, Kernel<5>};

uint32_t Zlib(const unsigned char* bytes, size_t count) {
  return static_cast<uint32_t>(crc32_z(0, bytes, count));
}
uint32_t Libdeflate(const unsigned char* bytes, size_t count) { return libdeflate_crc32(0, bytes, count); }
uint32_t IsaL(const unsigned char* bytes, size_t count) {
  return crc32_gzip_refl(0, bytes, static_cast<uint64_t>(count));
}

void RegisterMemcpy(const std::string& name, Buffer* source, Buffer* target) {
  benchmark::RegisterBenchmark(name.c_str(), [source, target](benchmark::State& state) {
    for (auto _ : state) {
      memcpy(target->bytes.get(), source->bytes.get(), source->size);
      benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source->size));
  })->MinTime(source->size > kCachedBytes ? 1.0 : 0.3)->UseRealTime()->Repetitions(kRepetitions);
}

// Keeps each benchmark's best throughput for the ratios printed at the end.
class CollectingReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> bytesPerSecond;

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      auto found = run.counters.find("bytes_per_second");
      if (run.run_type != Run::RT_Iteration || found == run.counters.end()) continue;
      // "name/size/min_time:..." is kept as "name/size".
      std::string name = run.benchmark_name();
      name = name.substr(0, name.find("/min_time"));
      bytesPerSecond[name] = std::max(bytesPerSecond[name], static_cast<double>(found->second));
    }
  }
};

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A 1 GiB file of random bytes, made once and read once so it sits in the page cache.
std::string PrepareFile(const std::string& path) {
  std::error_code error;
  if (std::filesystem::file_size(path, error) != kFileBytes) {
    Buffer chunk(64 << 20);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (uint64_t written = 0; written < kFileBytes; written += chunk.size) {
      chunk.bytes.get()[0] ^= static_cast<unsigned char>(written >> 20);
      out.write(reinterpret_cast<const char*>(chunk.bytes.get()), static_cast<std::streamsize>(chunk.size));
    }
  }
  std::string warm = "cat '" + path + "' > /dev/null";
  if (std::system(warm.c_str()) != 0) std::fprintf(stderr, "could not read %s\n", path.c_str());
  return path;
}

void CompareFileCrcWithDd(const std::string& path, int rounds) {
  Run run(RealFileSystem(), RealSystem());
  std::string dd = "dd if='" + path + "' of=/dev/null bs=1M status=none";
  double bestDd = 1e9;
  double bestCrc = 1e9;
  uint32_t value = 0;
  char text[kCrcTextSize];
  for (int round = 0; round < rounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(dd.c_str()) != 0) std::fprintf(stderr, "dd failed\n");
    bestDd = std::min(bestDd, Seconds(start));
    start = std::chrono::steady_clock::now();
    FileCrc(run, path, &value, text, 0);
    bestCrc = std::min(bestCrc, Seconds(start));
  }
  double gib = static_cast<double>(kFileBytes) / 1e9;
  std::printf("\nCached 1 GiB file, best of %d rounds (CRC %s, chunk %zu bytes)\n", rounds, text, kCrcReadChunk);
  std::printf("  %-28s %8.3f s  %6.2f GB/s\n", "dd bs=1M", bestDd, gib / bestDd);
  std::printf("  %-28s %8.3f s  %6.2f GB/s  %.2fx the time of dd\n", "FileCrc", bestCrc, gib / bestCrc,
              bestCrc / bestDd);
}

}  // namespace
}  // namespace korven

int main(int argc, char** argv) {
  using namespace korven;
  std::string filePath = "korven-bench-1GiB.bin";
  int fileRounds = 5;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (strncmp(argv[i], "--file=", 7) == 0) {
      filePath = argv[i] + 7;
    } else if (strncmp(argv[i], "--file_rounds=", 14) == 0) {
      fileRounds = atoi(argv[i] + 14);
    } else {
      args.push_back(argv[i]);
    }
  }
  int benchArgc = static_cast<int>(args.size());
  benchmark::Initialize(&benchArgc, args.data());

  Buffer cached(kCachedBytes);
  Buffer large(kLargeBytes);
  Buffer cachedTarget(kCachedBytes);
  Buffer largeTarget(kLargeBytes);
  struct Size {
    const char* label;
    Buffer* buffer;
    Buffer* target;
  };
  const Size sizes[] = {{"60000", &cached, &cachedTarget}, {"256MiB", &large, &largeTarget}};
  auto kernels = AvailableCrcKernels();
  if (kernels.size() > std::size(kKernels)) return 1;
  for (const Size& size : sizes) {
    for (size_t i = 0; i < kernels.size(); ++i) {
      Register(std::string(kernels[i].name) + "/" + size.label, size.buffer, kKernels[i]);
    }
    Register(std::string("zlib/") + size.label, size.buffer, Zlib);
    Register(std::string("libdeflate/") + size.label, size.buffer, Libdeflate);
    Register(std::string("isa-l/") + size.label, size.buffer, IsaL);
    RegisterMemcpy(std::string("memcpy/") + size.label, size.buffer, size.target);
  }

  CollectingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  for (const Size& size : sizes) {
    std::string suffix = std::string("/") + size.label;
    auto rate = [&](const std::string& name) {
      auto found = reporter.bytesPerSecond.find(name + suffix);
      return found == reporter.bytesPerSecond.end() ? 0.0 : found->second;
    };
    double isal = rate("isa-l");
    double copy = rate("memcpy");
    std::printf("\n%s-byte buffer: GB/s, x ISA-L, x memcpy\n", size.label);
    for (const auto& [name, rate] : reporter.bytesPerSecond) {
      if (name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        continue;
      }
      std::printf("  %-28s %7.2f  %6.2fx  %6.2fx%s\n", name.c_str(), rate / 1e9, isal > 0 ? rate / isal : 0,
                  copy > 0 ? rate / copy : 0, name == std::string(kernels.back().name) + suffix ? "  <- CrcUpdate" : "");
    }
  }

  if (fileRounds > 0) CompareFileCrcWithDd(PrepareFile(filePath), fileRounds);
  benchmark::Shutdown();
  return 0;
}
