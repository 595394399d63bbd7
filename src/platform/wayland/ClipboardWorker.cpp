#include "platform/wayland/ClipboardWorker.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <span>
#include <system_error>
#include <utility>

#include "platform/wayland/TextTypes.h"
#include "platform/wayland/WaylandConnection.h"

namespace pastiq::wayland {

std::unique_ptr<ClipboardWorker> ClipboardWorker::open(std::string& problem) {
    auto connection = WaylandConnection::open(problem);
    if (!connection) {
        return nullptr;
    }
    WaylandConnection& bindOn = *connection;
    auto worker = std::make_unique<ClipboardWorker>(
        std::move(connection),
        [&bindOn](DataControlDevice::Events events) {
            return bindDataControl(bindOn, std::move(events));
        },
        ClipboardTransfers::Bounds{});
    if (!worker->device_) {
        problem = "the Wayland compositor offers no clipboard access (data-control)";
        return nullptr;
    }
    if (!worker->learnCurrentOwner()) {
        problem = "the Wayland compositor closed the connection at start-up";
        return nullptr;
    }
    return worker;
}

ClipboardWorker::ClipboardWorker(std::unique_ptr<WaylandConnection> connection,
                                 const DeviceFactory& makeDevice, ClipboardTransfers::Bounds bounds)
    : connection_(std::move(connection)),
      transfers_(bounds),
      wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (!wake_.valid()) {
        throw std::system_error(errno, std::generic_category(), "eventfd");
    }
    device_ = makeDevice(
        {.selection =
             [this](std::shared_ptr<DataControlOffer> offer) { handleSelection(std::move(offer)); },
         .finished = [this] { deviceFinished_ = true; }});
    started_ = connection_ == nullptr;
}

ClipboardWorker::~ClipboardWorker() {
    stopping_ = true;
    post([] {});
    if (thread_.joinable()) {
        thread_.join();
    }
    sources_.clear();
    tracker_.forgetOffers();
    device_.reset();
}

bool ClipboardWorker::learnCurrentOwner() {
    if (!connection_->roundtrip()) {
        return false;
    }
    started_ = true;
    return true;
}

void ClipboardWorker::start() {
    thread_ = std::thread([this] { run(); });
}

void ClipboardWorker::post(Command command) {
    {
        std::lock_guard lock(mutex_);
        commands_.push_back(std::move(command));
    }
    const std::uint64_t one = 1;
    // A full counter still leaves the fd readable, so a failed write loses no wake-up.
    [[maybe_unused]] const auto written = ::write(wake_.get(), &one, sizeof one);
}

void ClipboardWorker::run() {
    std::vector<pollfd> fds;
    while (!stopping_) {
        bool wantsWritable = false;
        if (connection_ && !connection_->prepareToPoll(wantsWritable)) {
            dropConnection();
        }
        fds.assign({{wake_.get(), POLLIN, 0}});
        if (connection_) {
            fds.push_back(
                {connection_->fd(), static_cast<short>(POLLIN | (wantsWritable ? POLLOUT : 0)), 0});
        }
        const std::size_t transfersFrom = fds.size();
        transfers_.addPollFds(fds);
        if (::poll(fds.data(), fds.size(), pollTimeout(Clock::now())) < 0 && errno != EINTR) {
            fds.resize(transfersFrom);
            for (auto& fd : fds) {
                fd.revents = 0;
            }
        }
        const auto now = Clock::now();
        transfers_.handle(std::span(fds).subspan(transfersFrom), now);
        if (connection_ &&
            !connection_->afterPoll((fds[1].revents & (POLLIN | POLLERR | POLLHUP)) != 0)) {
            dropConnection();
        }
        runCommands();
        transfers_.expire(now);
        expireApplies(now);
        retireCancelled();
    }
}

void ClipboardWorker::runCommands() {
    std::uint64_t pending = 0;
    [[maybe_unused]] const auto drained = ::read(wake_.get(), &pending, sizeof pending);
    std::deque<Command> taken;
    {
        std::lock_guard lock(mutex_);
        taken.swap(commands_);
    }
    for (auto& command : taken) {
        command();
    }
}

int ClipboardWorker::pollTimeout(Clock::time_point now) const {
    auto next = transfers_.nextDeadline();
    for (const auto& [writeId, sync] : syncs_) {
        if (sync.applied) {
            next = next ? std::min(*next, sync.deadline) : sync.deadline;
        }
    }
    if (!next) {
        return -1;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - now).count();
    return static_cast<int>(std::max<decltype(wait)>(wait, 0));
}

void ClipboardWorker::write(std::shared_ptr<const std::string> text, std::function<void()> applied,
                            std::int64_t count) {
    const std::uint64_t writeId = ++writes_;
    if (!device_) {
        if (applied) {
            applied();
        }
        return;
    }
    std::unique_ptr<DataControlSource> source;
    if (text) {
        source = device_->createSource(
            offeredTypes(writeId),
            {.send = [this, text, count](
                         const std::string& mimeType,
                         UniqueFd fd) { sendText(mimeType, std::move(fd), text, count); },
             .cancelled = [this, writeId] { cancelledSources_.push_back(writeId); }});
    }
    device_->setSelection(source.get());
    if (source) {
        sources_[writeId] = std::move(source);
    }
    tracker_.noteOwnWrite(writeId, std::move(text));
    syncs_[writeId] = {writeId, std::move(applied), Clock::now() + kApplyBound};
    device_->sync([this, writeId] { synced(writeId); });
}

void ClipboardWorker::sendText(const std::string& mimeType, UniqueFd fd,
                               const std::shared_ptr<const std::string>& text, std::int64_t count) {
    // The mark only tells Pastiq its own write; an application asking for it gets nothing.
    if (markedWrite(mimeType)) {
        return;
    }
    transfers_.send(std::move(fd), text, Clock::now());
    if (count > lastFetched_) {
        lastFetched_ = count;
        if (fetched_) {
            fetched_(count);
        }
    }
}

void ClipboardWorker::synced(std::uint64_t writeId) {
    if (tracker_.noteSynced(writeId)) {
        ++changeCount_;
    }
    if (const auto sync = syncs_.find(writeId); sync != syncs_.end()) {
        finishSync(sync);
    }
}

void ClipboardWorker::finishSync(std::map<std::uint64_t, Sync>::iterator sync) {
    auto applied = std::move(sync->second.applied);
    syncs_.erase(sync);
    if (applied) {
        applied();
    }
}

void ClipboardWorker::expireApplies(Clock::time_point now) {
    for (auto& [writeId, sync] : syncs_) {
        if (sync.applied && sync.deadline <= now) {
            std::exchange(sync.applied, nullptr)();
        }
    }
}

void ClipboardWorker::handleSelection(std::shared_ptr<DataControlOffer> offer) {
    const auto marked = offer ? markedWrite(offer->mimeTypes()) : std::nullopt;
    if (tracker_.noteSelection(std::move(offer), marked) && started_) {
        ++changeCount_;
    }
}

void ClipboardWorker::read(ReadAnswer answer) {
    waitingReads_.push_back(std::move(answer));
    serveReads();
}

void ClipboardWorker::serveReads() {
    while (!waitingReads_.empty() && !transfers_.isReading()) {
        auto atOnce = startFirstRead();
        if (!atOnce) {
            return;
        }
        answerFirstRead(std::move(*atOnce));
    }
}

// Pastiq's own text is answered from memory; another owner's is read through a pipe.
std::optional<ClipboardText> ClipboardWorker::startFirstRead() {
    const auto& view = tracker_.view();
    if (!view.offer) {
        return view.ownText ? ClipboardText::withText(*view.ownText) : ClipboardText{};
    }
    const auto type = bestTextType(view.offer->mimeTypes());
    int ends[2] = {-1, -1};
    if (!type || pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return ClipboardText{};
    }
    view.offer->receive(*type, UniqueFd(ends[1]));
    transfers_.read(
        UniqueFd(ends[0]),
        [this](ClipboardText text) {
            answerFirstRead(std::move(text));
            serveReads();
        },
        Clock::now());
    return std::nullopt;
}

void ClipboardWorker::answerFirstRead(ClipboardText text) {
    auto answer = std::move(waitingReads_.front());
    waitingReads_.pop_front();
    answer(std::move(text));
}

// Sources and the device are let go here, outside the compositor's callbacks that end them.
void ClipboardWorker::retireCancelled() {
    for (const auto writeId : cancelledSources_) {
        sources_.erase(writeId);
    }
    cancelledSources_.clear();
    if (deviceFinished_) {
        dropDevice();
        deviceFinished_ = false;
    }
}

// The clipboard is out of reach: writes go nowhere and keys waiting for one go on; reads still
// answer, with Pastiq's own text where it was the last content, else with none.
void ClipboardWorker::dropDevice() {
    while (!syncs_.empty()) {
        finishSync(syncs_.begin());
    }
    sources_.clear();
    tracker_.forgetOffers();
    device_.reset();
}

void ClipboardWorker::dropConnection() {
    dropDevice();
    connection_.reset();
}

}  // namespace pastiq::wayland
