#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "engine/AfterEachPaste.h"
#include "engine/PasteGate.h"
#include "engine/ports/KeyGrab.h"
#include "model/StepGuard.h"
#include "platform/wayland/KeyLoop.h"
#include "platform/wayland/KeyRouter.h"
#include "platform/wayland/MainThread.h"
#include "platform/wayland/PastePacing.h"

namespace pastiq {
class Log;
}

namespace pastiq::wayland {

class JudgedKeyWrites;
class KeyClipboard;
class KeyboardHub;

// The session's keys on grabbed keyboards. A session key the installed paste gate decides is
// carried out on the key thread: a paste's item is written and the key goes on once the
// compositor has taken the write in. A key the gate leaves undecided waits for the main
// thread's verdict, and for the clipboard writes that verdict made; the key thread passes it on
// by itself when nothing came within the bound. Keys typed meanwhile wait behind it. A key is
// judged only once the application has fetched the previous paste's item (bounded).
class WaylandKeyGrab final : public KeyGrab {
  public:
    // How long a key waits for its verdict, beyond its wait for the previous paste's fetch.
    static constexpr std::chrono::milliseconds kVerdictTime{100};
    // A paste the gate decided waits this long at most for the compositor to take its item in:
    // passing it on earlier would paste the previous item.
    static constexpr std::chrono::milliseconds kWriteBound{1000};
    // How long install() waits for the keys held at the start to be released.
    static constexpr std::chrono::milliseconds kGrabBound{1000};
    // How long the key after a paste waits for the application to ask for the item.
    static constexpr std::chrono::milliseconds kAfterKeyBound{500};

    struct Context {
        KeyLoop& loop;
        KeyboardHub& hub;
        KeyClipboard& clipboard;
        JudgedKeyWrites& writes;
        MainThreadPost mainThread;
        Log& log;  // main thread
    };

    explicit WaylandKeyGrab(Context context);
    ~WaylandKeyGrab() override;
    WaylandKeyGrab(const WaylandKeyGrab&) = delete;
    WaylandKeyGrab& operator=(const WaylandKeyGrab&) = delete;

    // Main thread.
    bool install(Handlers handlers) override;
    void remove() override;
    void enable() override;

    // Key thread: the hub's hooks.
    void judge(KeyRouter::KeyId id, const KeyEvent& event);
    // Every waiting key is about to be passed on unjudged.
    void settleAll();
    // The keyboards were let go for good (no virtual keyboard): the engine hears of it.
    void grabLost();
    // An application fetched the text of the write that left change count `count`.
    void pasteFetched(std::int64_t count);

  private:
    // Who settles a key handed to the main thread first: the main thread starting to judge it,
    // or the key thread passing it on unjudged. Shared by both threads.
    enum class Turn : std::uint8_t { waiting, judging, expired };
    using SharedTurn = std::shared_ptr<std::atomic<Turn>>;

    struct PendingKey {
        KeyLoop::TimerId timer = 0;
        SharedTurn turn;
        // Set for a key handed to the main thread while a gate was installed.
        std::shared_ptr<PasteGate> gate;
        // Set for a key the gate decided: its verdict waits for the item's write only.
        std::optional<KeyVerdict> decided;
        // The change count a paste's write left, once it made one.
        std::int64_t pasteWrite = 0;
        // The key typed once the application has fetched the paste's item.
        AfterPasteKey afterKey = AfterPasteKey::none;
    };
    // A paste went on with a key to follow it; every later key waits for that one.
    struct AfterKeyWait {
        std::int64_t count = 0;
        std::uint16_t code = 0;
        KeyLoop::TimerId timer = 0;
        bool isFetched = false;
    };

    bool grab();
    void decide(KeyRouter::KeyId id, const KeyEvent& event);
    void carryOut(KeyRouter::KeyId id, GateKey decided);
    void judgeOnMainThread(KeyRouter::KeyId id, const KeyEvent& event, const SharedTurn& turn);
    void finishJudged(KeyRouter::KeyId id, KeyVerdict verdict, bool wrote);
    void finish(KeyRouter::KeyId id, KeyVerdict verdict);
    void timeOut(KeyRouter::KeyId id);
    void holdForAfterKey(KeyRouter::KeyId id, const PendingKey& key);
    void typeAfterKey();
    void skipAfterKey();
    void postToMain(std::function<void()> work) const;

    Context context_;
    std::function<void(std::function<void()>)> keyThread_;
    // Main thread.
    std::shared_ptr<Handlers> handlers_;
    StepGuard mainGuard_;
    // Key thread.
    std::shared_ptr<PasteGate> gate_;
    std::map<KeyRouter::KeyId, PendingKey> pending_;
    PastePacing pacing_;
    std::chrono::milliseconds verdictBound_;
    std::optional<AfterKeyWait> afterKey_;
};

}  // namespace pastiq::wayland
