#include "model/Uuid.h"

#include <random>

namespace pastiq {

namespace {

// One generator per thread, seeded once from the operating system's entropy: drawing an id
// for each of a million parsed lines must not cost a system call each.
std::mt19937_64& threadGenerator() {
    thread_local std::mt19937_64 generator = [] {
        std::random_device device;
        std::seed_seq seed{device(), device(), device(), device(),
                           device(), device(), device(), device()};
        return std::mt19937_64(seed);
    }();
    return generator;
}

constexpr std::uint64_t kVersionMask = 0xFFFFFFFFFFFF0FFFULL;
constexpr std::uint64_t kVersion4 = 0x0000000000004000ULL;
constexpr std::uint64_t kVariantMask = 0x3FFFFFFFFFFFFFFFULL;
constexpr std::uint64_t kVariantRfc4122 = 0x8000000000000000ULL;

void appendHex(std::string& out, std::uint64_t value, int firstNibble, int nibbleCount) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (int nibble = firstNibble; nibble < firstNibble + nibbleCount; ++nibble) {
        const int shift = 60 - 4 * nibble;
        out.push_back(kDigits[(value >> shift) & 0xF]);
    }
}

}  // namespace

Uuid Uuid::random() {
    auto& generator = threadGenerator();
    const std::uint64_t high = (generator() & kVersionMask) | kVersion4;
    const std::uint64_t low = (generator() & kVariantMask) | kVariantRfc4122;
    return fromWords(high, low);
}

Uuid Uuid::fromWords(std::uint64_t high, std::uint64_t low) {
    Uuid id;
    id.high_ = high;
    id.low_ = low;
    return id;
}

std::string Uuid::toString() const {
    std::string out;
    out.reserve(36);
    appendHex(out, high_, 0, 8);
    out.push_back('-');
    appendHex(out, high_, 8, 4);
    out.push_back('-');
    appendHex(out, high_, 12, 4);
    out.push_back('-');
    appendHex(out, low_, 0, 4);
    out.push_back('-');
    appendHex(out, low_, 4, 12);
    return out;
}

}  // namespace pastiq
