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
// over instead and typed by Pastiq in its turn, once every key owed before it went out. Every
// other session key that comes meanwhile waits for its turn too, so its effect on the
// clipboard (a step writes an item) never reaches a paste still to be typed. Each paste waits
// for its fetch at most kFetchBound; after that its key is dropped rather than sent late into
// whatever has the focus by then, and the paste keeps its turn kLateFetchBound longer, so the
// next item is not written while a slow application may still fetch for it. A key the user
// holds a modifier for would reach the application with it (Ctrl+Tab changes a browser's
// tab), and a modifier held on a keyboard cannot be lifted through XTEST: the key waits until
// the modifiers are let go, at most kModifierBound after the fetch, and is dropped after that.
//
// Keys are known by the server time of their press. Key thread only.
class AfterPasteQueue {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kFetchBound{500};
    static constexpr std::chrono::milliseconds kLateFetchBound{1500};
    static constexpr std::chrono::milliseconds kModifierBound{1500};
    // How often held modifiers are looked at again while a key waits for them.
    static constexpr std::chrono::milliseconds kModifierPoll{10};

    struct Step {
        // carryOut: the key's turn has come, its item is written now (a taken-over paste then
        // waits for writeLanded). typePaste: its item is in place, Pastiq types its Ctrl+V.
        // keyDropped: the application took nothing within the bound, `key` is not sent.
        enum class Kind : std::uint8_t { carryOut, typePaste, typeKey, keyDropped };
        Kind kind;
        std::uint32_t keyTime;
        AfterPasteKey key = AfterPasteKey::none;
        friend bool operator==(const Step&, const Step&) = default;
    };

    // Whether keys wait for their turn.
    [[nodiscard]] bool isBusy() const { return !keys_.empty(); }
    // Whether a session key whose press event carries the sequence number `pressSequence` must
    // wait for its turn: keys wait, or the press froze the keyboard before the server took the
    // last key Pastiq typed, which then sits behind the press and would land after its replay.
    [[nodiscard]] bool takesOver(std::uint32_t pressSequence) const;
    // The last key Pastiq typed went out as request `sequence` of the connection the presses
    // come on.
    void typed(std::uint32_t sequence) { lastTyped_ = sequence; }
    // A Ctrl+V replayed to the application with its item in place: `key` follows its fetch.
    void replayed(std::uint32_t keyTime, AfterPasteKey key, Clock::time_point now);
    // A session key that waits for its turn; a taken-over Ctrl+V (`typesPaste`) is typed then.
    void queued(std::uint32_t keyTime, bool typesPaste, AfterPasteKey key);
    // The item written for a taken-over Ctrl+V in its turn is on the clipboard.
    void writeLanded(std::uint32_t keyTime);
    // The application has taken the text written for the Ctrl+V (it fetched it and, where it
    // takes pings, answered the one behind the key).
    void fetched(std::uint32_t keyTime, Clock::time_point now);
    // Whether due() would type a key now: the caller looks at the held modifiers first.
    [[nodiscard]] bool typesNext() const;
    // What to do now, in order, with the user holding a modifier key (`modifiersHeld`) or not.
    [[nodiscard]] std::vector<Step> due(Clock::time_point now, bool modifiersHeld = false);
    // When due() may have something again without any other news: a bound running out, or the
    // next look at modifiers a key waits for.
    [[nodiscard]] std::optional<Clock::time_point> nextDeadline(Clock::time_point now) const;
    void clear() { keys_.clear(); }

  private:
    enum class Stage : std::uint8_t { waitingTurn, awaitingWrite, written, awaitingFetch, fetched };
    struct Key {
        std::uint32_t keyTime;
        bool typesPaste;
        AfterPasteKey key;
        Stage stage;
        Clock::time_point deadline;
    };
    Key* find(std::uint32_t keyTime, Stage stage);
    // Moves the first key on by one stage; false when it must wait for news.
    bool advanceHead(Clock::time_point now, bool modifiersHeld, std::vector<Step>& steps);

    std::deque<Key> keys_;
    std::optional<std::uint32_t> lastTyped_;
};

}  // namespace pastiq::x11
