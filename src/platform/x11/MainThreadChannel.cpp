#include "platform/x11/MainThreadChannel.h"

namespace pastiq::x11 {

MainThreadChannel::MainThreadChannel(MainThreadPost post)
    : post_(std::move(post)), alive_(std::make_shared<int>(0)), watch_(alive_) {}

void MainThreadChannel::post(std::function<void()> work) const {
    post_([watch = watch_, work = std::move(work)] {
        if (watch.lock()) {
            work();
        }
    });
}

}  // namespace pastiq::x11
