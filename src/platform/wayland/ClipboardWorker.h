#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/ports/Clipboard.h"
#include "platform/wayland/ClipboardTransfers.h"
#include "platform/wayland/DataControl.h"
#include "platform/wayland/SelectionTracker.h"
#include "platform/wayland/UniqueFd.h"

namespace pastiq::wayland {

class WaylandConnection;

// The clipboard thread: its own compositor connection, the data-control device on it, and
// every transfer, in one poll() loop that never waits on another thread. Other threads hand it
// work through post(); the writes and reads they post run in order.
class ClipboardWorker {
  public:
    using Clock = std::chrono::steady_clock;
    using Command = std::function<void()>;
    using ReadAnswer = std::function<void(ClipboardText)>;
    // How long a write may go unconfirmed before a key waiting for it goes on anyway.
    static constexpr std::chrono::milliseconds kApplyBound{250};

    using DeviceFactory =
        std::function<std::unique_ptr<DataControlDevice>(DataControlDevice::Events events)>;

    // Connects and learns the clipboard's current owner. Nothing when there is no compositor
    // or it offers no data-control protocol; `problem` then tells why.
    static std::unique_ptr<ClipboardWorker> open(std::string& problem);
    // The device comes from `makeDevice`, over `connection` when there is one (polled on the
    // clipboard thread); without one, over whatever the device stands on.
    ClipboardWorker(std::unique_ptr<WaylandConnection> connection, const DeviceFactory& makeDevice,
                    ClipboardTransfers::Bounds bounds);
    ~ClipboardWorker();
    ClipboardWorker(const ClipboardWorker&) = delete;
    ClipboardWorker& operator=(const ClipboardWorker&) = delete;

    void start();
    // Any thread.
    void post(Command command);
    // Any thread: advances the change count for a write about to be posted.
    std::int64_t countOwnWrite() { return ++changeCount_; }
    [[nodiscard]] std::int64_t changeCount() const { return changeCount_.load(); }

    // Clipboard thread. A null text clears the clipboard. `applied` runs once the compositor
    // took the write in, or after kApplyBound. `count` is the change count the write left.
    void write(std::shared_ptr<const std::string> text, std::function<void()> applied,
               std::int64_t count);
    // Clipboard thread: runs, on that thread, the first time an application asks for the text
    // of a write, with the change count that write left.
    void onFetched(std::function<void(std::int64_t count)> fetched) {
        fetched_ = std::move(fetched);
    }
    // Clipboard thread; `answer` runs on it, after every read asked for before.
    void read(ReadAnswer answer);

  private:
    struct Sync {
        std::uint64_t writeId = 0;
        std::function<void()> applied = nullptr;
        Clock::time_point deadline;
    };

    // The compositor names the current owner as soon as the device exists: the state Pastiq
    // starts from, not a change. False when the connection closed meanwhile.
    bool learnCurrentOwner();
    void run();
    void runCommands();
    void handleSelection(std::shared_ptr<DataControlOffer> offer);
    void sendText(const std::string& mimeType, UniqueFd fd,
                  const std::shared_ptr<const std::string>& text, std::int64_t count);
    void synced(std::uint64_t writeId);
    void finishSync(std::map<std::uint64_t, Sync>::iterator sync);
    void expireApplies(Clock::time_point now);
    [[nodiscard]] int pollTimeout(Clock::time_point now) const;
    void serveReads();
    [[nodiscard]] std::optional<ClipboardText> startFirstRead();
    void answerFirstRead(ClipboardText text);
    void retireCancelled();
    void dropDevice();
    void dropConnection();

    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<DataControlDevice> device_;
    bool deviceFinished_ = false;
    bool started_ = false;
    SelectionTracker tracker_;
    ClipboardTransfers transfers_;
    std::map<std::uint64_t, std::unique_ptr<DataControlSource>> sources_;
    std::vector<std::uint64_t> cancelledSources_;
    // By write, the writes whose sync the compositor has not answered yet.
    std::map<std::uint64_t, Sync> syncs_;
    std::deque<ReadAnswer> waitingReads_;
    std::uint64_t writes_ = 0;
    std::function<void(std::int64_t)> fetched_ = nullptr;
    // The change count of the last write an application asked for.
    std::int64_t lastFetched_ = 0;
    std::atomic<std::int64_t> changeCount_{0};

    UniqueFd wake_;
    std::mutex mutex_;
    std::deque<Command> commands_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace pastiq::wayland
