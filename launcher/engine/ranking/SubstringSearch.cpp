#include "launcher/engine/ranking/SubstringSearch.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define TROVI_HAVE_AVX2_PATH 1
#endif

namespace trovi {

namespace {

bool middleMatches(const char16_t* at, const char16_t* needle, qsizetype length) {
    // First and last units are already known to match.
    return length <= 2 ||
           std::memcmp(at + 1, needle + 1, std::size_t(length - 2) * sizeof(char16_t)) == 0;
}

qsizetype findScalar(const char16_t* haystack, qsizetype from, qsizetype lastStart,
                     const char16_t* needle, qsizetype length) {
    const char16_t first = needle[0];
    const char16_t last = needle[length - 1];
    for (qsizetype i = from; i <= lastStart; ++i)
        if (haystack[i] == first && haystack[i + length - 1] == last &&
            middleMatches(haystack + i, needle, length))
            return i;
    return -1;
}

#ifdef TROVI_HAVE_AVX2_PATH
// The same filter sixteen starts at a time, where the processor has AVX2
// (the scan over every name is most of a search's work). Returns the first
// match, or -1 with `i` at the first start it did not look at.
__attribute__((target("avx2"))) qsizetype findWide(const char16_t* h, qsizetype& i,
                                                   qsizetype lastStart, const char16_t* n,
                                                   qsizetype length) {
    const __m256i first = _mm256_set1_epi16(static_cast<short>(n[0]));
    const __m256i last = _mm256_set1_epi16(static_cast<short>(n[length - 1]));
    for (; i + 15 <= lastStart; i += 16) {
        const __m256i atFirst = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i));
        const __m256i atLast =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h + i + length - 1));
        unsigned mask = unsigned(_mm256_movemask_epi8(_mm256_and_si256(
            _mm256_cmpeq_epi16(atFirst, first), _mm256_cmpeq_epi16(atLast, last))));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            const qsizetype position = i + bit / 2;
            if (middleMatches(h + position, n, length))
                return position;
            mask &= ~(3u << bit);
        }
    }
    return -1;
}

bool hasWideVectors() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

} // namespace

qsizetype findSubstring(QStringView haystack, qsizetype from, QStringView needle) {
    const qsizetype length = needle.size();
    if (from < 0)
        from = 0;
    if (length == 0)
        return from <= haystack.size() ? from : -1;
    const qsizetype lastStart = haystack.size() - length;
    if (from > lastStart)
        return -1;
    const char16_t* h = haystack.utf16();
    const char16_t* n = needle.utf16();
    qsizetype i = from;
#ifdef TROVI_HAVE_AVX2_PATH
    if (hasWideVectors()) {
        if (const qsizetype found = findWide(h, i, lastStart, n, length); found >= 0)
            return found;
    }
#endif
#if defined(__SSE2__)
    // Compare eight candidate starts at a time on the needle's first and last
    // units; only starts passing both are checked in full. This rejects
    // almost every position in one step even for one- and two-letter needles.
    const __m128i first = _mm_set1_epi16(static_cast<short>(n[0]));
    const __m128i last = _mm_set1_epi16(static_cast<short>(n[length - 1]));
    for (; i + 7 <= lastStart; i += 8) {
        const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
        const __m128i atLast =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + length - 1));
        unsigned mask = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi16(atFirst, first), _mm_cmpeq_epi16(atLast, last))));
        while (mask != 0) {
            const int bit = __builtin_ctz(mask);
            const qsizetype position = i + bit / 2;
            if (middleMatches(h + position, n, length))
                return position;
            mask &= ~(3u << bit);
        }
    }
#endif
    return findScalar(h, i, lastStart, n, length);
}

} // namespace trovi
