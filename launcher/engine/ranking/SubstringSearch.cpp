#include "launcher/engine/ranking/SubstringSearch.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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
