#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "engine/AfterEachPaste.h"

namespace pastiq::x11 {

// The order of what reaches the application around pastes that a key follows. The key after a
// paste goes only once the application has fetched the pasted text, and a Ctrl+V frozen by the
// grab holds back every key typed behind it, so a Ctrl+V that comes while an earlier paste
// still owes its key cannot be replayed: the key would land after it. Such a Ctrl+V is taken
// over instead and typed by Pastiq in its turn, once its item is on the clipboard and every
// key owed before it went out. Each paste waits for its fetch at most kFetchBound; after that
// its key is dropped rather than sent late into whatever has the focus by then.
//
// Pastes are known by the server time of their Ctrl+V. Key thread only.
class AfterPasteQueue {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kFetchBound{500};

    struct Step {
        enum class Kind : std::uint8_t { typePaste, typeKey };
        Kind kind;
        std::uint32_t keyTime;
        AfterPasteKey key = AfterPasteKey::none;
        friend bool operator==(const Step&, const Step&) = default;
    };

    // Whether a Ctrl+V arriving now must be taken over rather than replayed.
    [[nodiscard]] bool isBusy() const { return !pastes_.empty(); }
    // A Ctrl+V replayed to the application with its item in place: `key` follows its fetch.
    void replayed(std::uint32_t keyTime, AfterPasteKey key, Clock::time_point now);
    // A Ctrl+V consumed to be typed later, once its item is on the clipboard.
    void takenOver(std::uint32_t keyTime, AfterPasteKey key);
    // The item written for a taken-over Ctrl+V is on the clipboard.
    void writeLanded(std::uint32_t keyTime);
    // An application fetched the text written for the Ctrl+V.
    void fetched(std::uint32_t keyTime);
    // What to type now, in order.
    [[nodiscard]] std::vector<Step> due(Clock::time_point now);
    // When due() has something again without any other news: a fetch bound running out.
    [[nodiscard]] std::optional<Clock::time_point> nextDeadline() const;
    void clear() { pastes_.clear(); }

  private:
    enum class Stage : std::uint8_t { awaitingWrite, written, awaitingFetch, fetched };
    struct Paste {
        std::uint32_t keyTime;
        AfterPasteKey key;
        Stage stage;
        Clock::time_point deadline;
    };
    Paste* find(std::uint32_t keyTime, Stage stage);

    std::deque<Paste> pastes_;
};

}  // namespace pastiq::x11
