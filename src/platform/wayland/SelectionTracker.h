#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "platform/wayland/DataControl.h"

namespace pastiq::wayland {

// What the clipboard holds as far as Pastiq can know, given that the compositor reports every
// owner change, Pastiq's own writes included, in the order it takes them in, while Pastiq's
// writes count from the moment they are sent. A report that arrives while one of Pastiq's writes
// is still on its way to the compositor was made before that write took over and is not what
// the clipboard holds. Each write is known to be taken in when the compositor reports it (its
// echo) or when it answers a sync sent right after it; a clear of a clipboard already empty
// has no echo.
class SelectionTracker {
  public:
    // Pastiq's own text still in place, another application's offer, or neither: empty.
    struct View {
        std::shared_ptr<const std::string> ownText;
        std::shared_ptr<DataControlOffer> offer;
    };

    // Pastiq sent a write of `text`, or a clear for a null text.
    void noteOwnWrite(std::uint64_t writeId, std::shared_ptr<const std::string> text);
    // The compositor reports the clipboard's owner: `offer` (null when empty), carrying the
    // mark of Pastiq's write `markedWrite` if it has one. True when this is a change of owner
    // that is not Pastiq's own.
    bool noteSelection(std::shared_ptr<DataControlOffer> offer,
                       std::optional<std::uint64_t> markedWrite);
    // The compositor answered the sync sent after write `writeId`: it and every write before
    // it are taken in. True when this shows another application's change made after them.
    bool noteSynced(std::uint64_t writeId);

    // Lets go of every offer, before the connection they belong to closes.
    void forgetOffers();

    [[nodiscard]] const View& view() const { return view_; }

  private:
    struct Write {
        std::uint64_t id = 0;
        bool isClear = false;
    };

    // Drops the writes in flight up to and with `writeId`; false when it is not in flight.
    bool takeInThrough(std::uint64_t writeId);

    View view_;
    std::deque<Write> inFlight_;
    // Another owner reported after the last echo while writes are still in flight: what the
    // clipboard holds if the writes left had no effect (clears of an empty clipboard).
    std::optional<std::shared_ptr<DataControlOffer>> laterOwner_;
};

}  // namespace pastiq::wayland
