#include "platform/wayland/DataControlClipboard.h"

#include <utility>

#include "platform/wayland/ClipboardWorker.h"

namespace pastiq::wayland {

DataControlClipboard::Started DataControlClipboard::start(MainThreadPost postToMain) {
    Started started;
    auto worker = ClipboardWorker::open(started.problem);
    if (worker) {
        worker->start();
        started.clipboard =
            std::make_unique<DataControlClipboard>(std::move(worker), std::move(postToMain));
    }
    return started;
}

DataControlClipboard::DataControlClipboard(std::unique_ptr<ClipboardWorker> worker,
                                           MainThreadPost postToMain)
    : postToMain_(std::move(postToMain)), worker_(std::move(worker)) {}

DataControlClipboard::~DataControlClipboard() = default;

std::int64_t DataControlClipboard::changeCount() const {
    return worker_->changeCount();
}

void DataControlClipboard::readText(ReadCompletion completion) {
    auto answer = guard_.bind(std::move(completion));
    worker_->post([this, answer = std::move(answer)]() mutable {
        worker_->read([post = postToMain_, answer = std::move(answer)](ClipboardText text) {
            post([answer, text = std::move(text)]() mutable { answer(std::move(text)); });
        });
    });
}

// Counted here, not when the compositor reports the change, so the count has moved before
// the call returns and Pastiq's own write is never mistaken for another copy.
std::int64_t DataControlClipboard::write(std::shared_ptr<const std::string> text,
                                         std::function<void()> applied) {
    const std::int64_t count = worker_->countOwnWrite();
    worker_->post([this, text = std::move(text), applied = std::move(applied), count]() mutable {
        worker_->write(std::move(text), std::move(applied), count);
    });
    return count;
}

void DataControlClipboard::onFetched(std::function<void(std::int64_t count)> fetched) {
    worker_->post(
        [this, fetched = std::move(fetched)]() mutable { worker_->onFetched(std::move(fetched)); });
}

}  // namespace pastiq::wayland
