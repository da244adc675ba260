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

// Byte selections for PSHUFB. The 16 bytes from kShift + k move a block's
// first k bytes to its end, zeros before them; those from kShift + 16 + k
// move its bytes k places down, the last k zero and marked for a blend.
alignas(64) constexpr unsigned char kShift[48] = {
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
    0,    1,    2,    3,    4,    5,    6,    7,    8,    9,    10,   11,   12,   13,   14,   15,
    0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};

// `block` followed by the last n < 16 bytes of data, which end at p + n, as
// one block: the message is the block's first n bytes, zeros before them,
// then 16 bytes (the block's last 16 - n bytes and the data), and that first
// part is folded onto the second. Reads the 16 bytes before p + n, so at
// least 16 bytes must have been folded before p.
__attribute__((target(KORVEN_TARGET_PCLMUL))) inline __m128i FoldTail(__m128i block, const unsigned char* p,
                                                                      size_t n) {
  const __m128i up = Vector128::Load(kShift + n);
  const __m128i down = Vector128::Load(kShift + 16 + n);
  const __m128i first = _mm_shuffle_epi8(block, up);
  const __m128i second = _mm_blendv_epi8(_mm_shuffle_epi8(block, down), Vector128::Load(p + n - 16), down);
  return Vector128::Fold(first, Vector128::Multipliers(CrcFoldDistance(128)), second);
}

// The register whose bits are `block`'s run through from zero, without a
// table: two folds to 64 bits, then a Barrett reduction.
__attribute__((target(KORVEN_TARGET_PCLMUL))) inline uint32_t Reduce(__m128i block) {
  const __m128i low32 = _mm_set_epi32(0, 0, 0, -1);
  const __m128i reduce = _mm_set_epi64x(static_cast<long long>(kCrcReduce96), static_cast<long long>(kCrcReduce128));
  const __m128i barrett =
      _mm_set_epi64x(static_cast<long long>(kCrcBarrettPolynomial), static_cast<long long>(kCrcBarrettQuotient));
  __m128i v = _mm_xor_si128(_mm_clmulepi64_si128(block, reduce, 0x00), _mm_srli_si128(block, 8));
  v = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(v, low32), reduce, 0x10), _mm_srli_si128(v, 4));
  __m128i t = _mm_clmulepi64_si128(_mm_and_si128(v, low32), barrett, 0x00);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x10);
  return static_cast<uint32_t>(_mm_extract_epi32(_mm_xor_si128(v, t), 1));
}

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
// gathered into one vector, its 128-bit lanes into one, the last few bytes
// of data are folded onto that block, and the block is reduced to the register.
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

  if (n > 0) block = FoldTail(block, p, n);
  return Reduce(block);
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
