#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <string>

namespace pastiq {

// A random version-4 UUID. Values are drawn from a per-thread generator seeded once from the
// operating system, so parsing a million lines costs no system call per item.
class Uuid {
  public:
    Uuid() = default;  // the nil UUID
    static Uuid random();
    static Uuid fromWords(std::uint64_t high, std::uint64_t low);

    [[nodiscard]] std::string toString() const;  // 8-4-4-4-12 lower-case hex
    [[nodiscard]] std::uint64_t high() const { return high_; }
    [[nodiscard]] std::uint64_t low() const { return low_; }
    [[nodiscard]] int version() const { return static_cast<int>((high_ >> 12) & 0xF); }

    friend bool operator==(const Uuid&, const Uuid&) = default;
    // clang-tidy 14 takes the defaulted comparison's hidden `0` for a null pointer.
    friend auto operator<=>(const Uuid&, const Uuid&) = default;  // NOLINT(modernize-use-nullptr)

  private:
    std::uint64_t high_ = 0;
    std::uint64_t low_ = 0;
};

}  // namespace pastiq

template <>
struct std::hash<pastiq::Uuid> {
    std::size_t operator()(const pastiq::Uuid& id) const noexcept {
        return static_cast<std::size_t>(id.high() ^ (id.low() * 0x9E3779B97F4A7C15ULL));
    }
};
