// Carry-less multiply folding on x86-64: PCLMULQDQ on 128-bit lanes, and
// VPCLMULQDQ on 256-bit (AVX2) and 512-bit (AVX-512) vectors. One folding
// routine serves every width; the vector traits hold the instructions.
#include "crc/crc_kernels.h"

// Clang refuses wide vectors passed to the generic routine even where it is
// always inlined; a clang build (the fuzzers') takes the table kernels.
#if defined(__x86_64__) && !defined(__clang__)

#include <immintrin.h>

#include <array>

#include "crc/crc_fold_constants.h"

namespace korven {

namespace {

// Each kernel entry is flattened so that the traits' intrinsics land inside a
// function compiled for the instructions it checked for at start-up. The
// generic routine below is always inlined there, also in unoptimised builds,
// so wide vectors never cross a call between code of different targets and
// the warning about passing them without AVX enabled does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"
#define KORVEN_TARGET_PCLMUL "pclmul,sse4.1"
#define KORVEN_TARGET_AVX2 "pclmul,sse4.1,avx2,vpclmulqdq"
#define KORVEN_TARGET_AVX512 "pclmul,sse4.1,avx2,avx512f,avx512vl,vpclmulqdq"

struct Vector128 {
  using T = __m128i;
  static constexpr size_t kBytes = 16;

  __attribute__((target(KORVEN_TARGET_PCLMUL))) static T Load(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }
  __attribute__((target(KORVEN_TARGET_PCLMUL))) static void Store(unsigned char* p, T v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
  }
  __attribute__((target(KORVEN_TARGET_PCLMUL))) static T FromRegister(uint32_t reg) {
    return _mm_cvtsi32_si128(static_cast<int>(reg));
  }
  __attribute__((target(KORVEN_TARGET_PCLMUL))) static T Xor(T a, T b) { return _mm_xor_si128(a, b); }
  __attribute__((target(KORVEN_TARGET_PCLMUL))) static T Multipliers(CrcFoldPair k) {
    return _mm_set_epi64x(static_cast<long long>(k.high), static_cast<long long>(k.low));
  }
  // acc moved forward by the multipliers' distance, plus data.
  __attribute__((target(KORVEN_TARGET_PCLMUL))) static T Fold(T acc, T k, T data) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(acc, k, 0x00),
                                       _mm_clmulepi64_si128(acc, k, 0x11)),
                         data);
  }
};

struct Vector256 {
  using T = __m256i;
  static constexpr size_t kBytes = 32;

  __attribute__((target(KORVEN_TARGET_AVX2))) static T Load(const unsigned char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  }
  __attribute__((target(KORVEN_TARGET_AVX2))) static void Store(unsigned char* p, T v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
  }
  __attribute__((target(KORVEN_TARGET_AVX2))) static T FromRegister(uint32_t reg) {
    return _mm256_zextsi128_si256(_mm_cvtsi32_si128(static_cast<int>(reg)));
  }
  __attribute__((target(KORVEN_TARGET_AVX2))) static T Xor(T a, T b) { return _mm256_xor_si256(a, b); }
  __attribute__((target(KORVEN_TARGET_AVX2))) static T Multipliers(CrcFoldPair k) {
    auto low = static_cast<long long>(k.low);
    auto high = static_cast<long long>(k.high);
    return _mm256_set_epi64x(high, low, high, low);
  }
  __attribute__((target(KORVEN_TARGET_AVX2))) static T Fold(T acc, T k, T data) {
    return _mm256_xor_si256(_mm256_xor_si256(_mm256_clmulepi64_epi128(acc, k, 0x00),
                                             _mm256_clmulepi64_epi128(acc, k, 0x11)),
                            data);
  }
};

struct Vector512 {
  using T = __m512i;
  static constexpr size_t kBytes = 64;

  __attribute__((target(KORVEN_TARGET_AVX512))) static T Load(const unsigned char* p) {
    return _mm512_loadu_si512(p);
  }
  __attribute__((target(KORVEN_TARGET_AVX512))) static void Store(unsigned char* p, T v) {
    _mm512_storeu_si512(p, v);
  }
  __attribute__((target(KORVEN_TARGET_AVX512))) static T FromRegister(uint32_t reg) {
    return _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(reg)));
  }
  __attribute__((target(KORVEN_TARGET_AVX512))) static T Xor(T a, T b) { return _mm512_xor_si512(a, b); }
  __attribute__((target(KORVEN_TARGET_AVX512))) static T Multipliers(CrcFoldPair k) {
    auto low = static_cast<long long>(k.low);
    auto high = static_cast<long long>(k.high);
    return _mm512_set_epi64(high, low, high, low, high, low, high, low);
  }
  // One three-way XOR instead of two.
  __attribute__((target(KORVEN_TARGET_AVX512))) static T Fold(T acc, T k, T data) {
    return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(acc, k, 0x00),
                                     _mm512_clmulepi64_epi128(acc, k, 0x11), data, 0x96);
  }
};

// Multipliers that bring each of the first kCount - 1 of kCount adjacent
// pieces, `kBytes` wide, to the end of the last one.
template <size_t kCount, size_t kBytes>
constexpr std::array<CrcFoldPair, kCount - 1> GatherDistances() {
  std::array<CrcFoldPair, kCount - 1> pairs{};
  for (size_t i = 0; i + 1 < kCount; ++i) pairs[i] = CrcFoldDistance((kCount - 1 - i) * kBytes * 8);
  return pairs;
}

// The register over n >= kAccumulators * V::kBytes bytes. kAccumulators
// independent vectors, one stride apart, hide the multiply latency; they are
// gathered into one vector, its 128-bit lanes into one, and the 16 bytes of
// that block and the last few bytes of data go through the table.
template <class V, size_t kAccumulators>
__attribute__((always_inline)) inline uint32_t Fold(uint32_t reg, const unsigned char* p, size_t n) {
  using T = typename V::T;
  constexpr size_t kStride = kAccumulators * V::kBytes;
  constexpr CrcFoldPair kStrideDistance = CrcFoldDistance(kStride * 8);
  constexpr CrcFoldPair kVectorDistance = CrcFoldDistance(V::kBytes * 8);
  constexpr CrcFoldPair kBlockDistance = CrcFoldDistance(128);
  constexpr auto kGather = GatherDistances<kAccumulators, V::kBytes>();
  constexpr auto kLanes = GatherDistances<V::kBytes / 16, 16>();

  T acc[kAccumulators];
#pragma GCC unroll 16
  for (size_t i = 0; i < kAccumulators; ++i) acc[i] = V::Load(p + i * V::kBytes);
  acc[0] = V::Xor(acc[0], V::FromRegister(reg));
  p += kStride;
  n -= kStride;

  const T stride = V::Multipliers(kStrideDistance);
  while (n >= kStride) {
#pragma GCC unroll 16
    for (size_t i = 0; i < kAccumulators; ++i) acc[i] = V::Fold(acc[i], stride, V::Load(p + i * V::kBytes));
    p += kStride;
    n -= kStride;
  }

  T v = acc[kAccumulators - 1];
#pragma GCC unroll 16
  for (size_t i = 0; i + 1 < kAccumulators; ++i) v = V::Fold(acc[i], V::Multipliers(kGather[i]), v);
  const T vector = V::Multipliers(kVectorDistance);
  while (n >= V::kBytes) {
    v = V::Fold(v, vector, V::Load(p));
    p += V::kBytes;
    n -= V::kBytes;
  }

  unsigned char lanes[V::kBytes];
  V::Store(lanes, v);
  __m128i block = Vector128::Load(lanes + V::kBytes - 16);
#pragma GCC unroll 4
  for (size_t i = 0; i + 1 < V::kBytes / 16; ++i) {
    block = Vector128::Fold(Vector128::Load(lanes + 16 * i), Vector128::Multipliers(kLanes[i]), block);
  }
  const __m128i next = Vector128::Multipliers(kBlockDistance);
  while (n >= 16) {
    block = Vector128::Fold(block, next, Vector128::Load(p));
    p += 16;
    n -= 16;
  }

  // The register after a block is the block's bytes run through from zero.
  unsigned char last[16];
  Vector128::Store(last, block);
  return CrcUpdateSlice16(CrcUpdateSlice16(0, last, 16), p, n);
}

// Eight accumulators where the input allows; short inputs take one 128-bit
// lane, the shortest the table alone.
template <class V>
__attribute__((always_inline)) inline uint32_t FoldAny(uint32_t reg, const unsigned char* p, size_t n) {
  if (n >= 8 * V::kBytes) return Fold<V, 8>(reg, p, n);
  if (n >= 16) return Fold<Vector128, 1>(reg, p, n);
  return CrcUpdateSlice16(reg, p, n);
}

__attribute__((target(KORVEN_TARGET_PCLMUL), flatten)) uint32_t CrcUpdatePclmul(
    uint32_t reg, const unsigned char* bytes, size_t count) {
  return FoldAny<Vector128>(reg, bytes, count);
}

__attribute__((target(KORVEN_TARGET_AVX2), flatten)) uint32_t CrcUpdateVpclmulAvx2(
    uint32_t reg, const unsigned char* bytes, size_t count) {
  return FoldAny<Vector256>(reg, bytes, count);
}

__attribute__((target(KORVEN_TARGET_AVX512), flatten)) uint32_t CrcUpdateVpclmulAvx512(
    uint32_t reg, const unsigned char* bytes, size_t count) {
  return FoldAny<Vector512>(reg, bytes, count);
}

}  // namespace

void AppendX86CrcKernels(std::vector<CrcKernel>* kernels) {
  __builtin_cpu_init();
  if (!__builtin_cpu_supports("pclmul") || !__builtin_cpu_supports("sse4.1")) return;
  kernels->push_back({"pclmul-128", CrcUpdatePclmul});
  if (!__builtin_cpu_supports("vpclmulqdq") || !__builtin_cpu_supports("avx2")) return;
  kernels->push_back({"vpclmul-avx2-256", CrcUpdateVpclmulAvx2});
  if (!__builtin_cpu_supports("avx512f") || !__builtin_cpu_supports("avx512vl")) return;
  kernels->push_back({"vpclmul-avx512-512", CrcUpdateVpclmulAvx512});
}

}  // namespace korven

#else

namespace korven {

void AppendX86CrcKernels(std::vector<CrcKernel>*) {}

}  // namespace korven

#endif
