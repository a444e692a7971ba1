// text::scanInt against the C library's strtol with base 0 (the rules of the
// "%i" conversion), saturated to 32 bits.
#include <vector>

#include "fuzz_support.hpp"
#include "text/scan.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* begin = reinterpret_cast<const char*>(data);
    // Over the exact range, without a terminator.
    int32_t ranged = 7;
    const char* rangedEnd = text::scanInt(begin, begin + size, ranged);
    if (rangedEnd && (rangedEnd <= begin || rangedEnd > begin + size)) std::abort();

    // The same text zero-terminated, for the terminated form and the reference.
    std::vector<char> copy(begin, begin + size);
    copy.push_back('\0');
    int32_t terminated = 7;
    const char* terminatedEnd = text::scanInt(copy.data(), terminated);
    char* referenceEnd = nullptr;
    long long reference = std::clamp<long long>(std::strtoll(copy.data(), &referenceEnd, 0), INT32_MIN, INT32_MAX);
    // Both forms take what the reference takes (the ranged one sees the same
    // text up to the first zero byte); a text not taken leaves the value alone.
    bool same = referenceEnd == copy.data()
                    ? !terminatedEnd && !rangedEnd && terminated == 7
                    : terminatedEnd == referenceEnd && terminated == reference && rangedEnd &&
                          rangedEnd - begin == terminatedEnd - copy.data() && ranged == terminated;
    if (!same) std::abort();
    return 0;
}
