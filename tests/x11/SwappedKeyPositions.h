#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pastiq::testing {

// Loads a keymap into the private display in which two keys trade their keycodes, as a
// different keyboard model would, and puts the original keymap back when destroyed.
class SwappedKeyPositions {
  public:
    SwappedKeyPositions(std::string_view first, std::string_view second);
    ~SwappedKeyPositions();
    SwappedKeyPositions(const SwappedKeyPositions&) = delete;
    SwappedKeyPositions& operator=(const SwappedKeyPositions&) = delete;

    [[nodiscard]] bool loaded() const { return loaded_; }

  private:
    static bool load(const std::filesystem::path& keymap);

    std::filesystem::path original_;
    std::filesystem::path swapped_;
    bool loaded_ = false;
};

}  // namespace pastiq::testing
