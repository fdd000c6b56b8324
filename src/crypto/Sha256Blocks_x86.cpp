// The SHA-256 compression with the x86 SHA instructions. Only this function
// is built for them, so the program still starts on a processor without:
// FastSha256Blocks() offers it only after CPUID said yes.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

namespace qtr {

namespace {

alignas(16) constexpr uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

}  // namespace

// The round instruction keeps the eight words in two registers: one holds
// A, B, E, F (A in the top lane, F in the bottom), the other C, D, G, H.
// Each SHA256RNDS2 runs two rounds with the two message-plus-constant words
// in the low lanes of its third operand and returns the new A, B, E, F; the
// old A, B, E, F are then the new C, D, G, H, so four rounds are two calls
// with the registers' roles swapped.
__attribute__((target("sha,sse4.1,ssse3"))) void CompressSha256Instructions(uint32_t* state,
                                                                            const uint8_t* data,
                                                                            size_t blocks) {
  // Message words are big-endian: reverse the bytes of each 32-bit lane.
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);

  // From a..h in memory order to the two register layouts.
  __m128i dcba = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0x1b);
  __m128i hgfe = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1b);
  __m128i abef = _mm_unpackhi_epi64(hgfe, dcba);
  __m128i cdgh = _mm_unpacklo_epi64(hgfe, dcba);

  for (; blocks > 0; --blocks, data += 64) {
    const __m128i abefStart = abef;
    const __m128i cdghStart = cdgh;
    // The last four groups of four schedule words, W[t-16..t-13] in the
    // oldest slot; slot i % 4 holds group i.
    __m128i w[4];
#pragma GCC unroll 16
    for (int group = 0; group < 16; ++group) {
      __m128i words;
      if (group < 4) {
        words =
            _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * group)), byteSwap);
      } else {
        // W[t] = s1(W[t-2]) + W[t-7] + s0(W[t-15]) + W[t-16] for four t at
        // once: MSG1 adds s0 of the next word to each of the oldest four,
        // the shifted pair of groups supplies W[t-7], MSG2 adds s1, feeding
        // its own first two results into its last two.
        const __m128i oldest = w[group % 4];
        const __m128i older = w[(group + 1) % 4];
        const __m128i previous = w[(group + 2) % 4];
        const __m128i last = w[(group + 3) % 4];
        __m128i partial = _mm_sha256msg1_epu32(oldest, older);
        partial = _mm_add_epi32(partial, _mm_alignr_epi8(last, previous, 4));
        words = _mm_sha256msg2_epu32(partial, last);
      }
      w[group % 4] = words;
      __m128i wk =
          _mm_add_epi32(words, _mm_load_si128(reinterpret_cast<const __m128i*>(kRoundConstants + 4 * group)));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
      wk = _mm_shuffle_epi32(wk, 0x0e);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, wk);
    }
    abef = _mm_add_epi32(abef, abefStart);
    cdgh = _mm_add_epi32(cdgh, cdghStart);
  }

  // Back to a..h: the high halves are B, A and D, C; the low ones F, E and H, G.
  dcba = _mm_unpackhi_epi64(cdgh, abef);
  hgfe = _mm_unpacklo_epi64(cdgh, abef);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_shuffle_epi32(dcba, 0x1b));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_shuffle_epi32(hgfe, 0x1b));
}

}  // namespace qtr
