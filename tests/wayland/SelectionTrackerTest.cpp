#include "platform/wayland/SelectionTracker.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace pastiq::wayland {
namespace {

class NamedOffer final : public DataControlOffer {
  public:
    explicit NamedOffer(std::string name) : name_(std::move(name)) {}
    [[nodiscard]] const std::vector<std::string>& mimeTypes() const override { return types_; }
    void receive(const std::string& /*mimeType*/, UniqueFd /*fd*/) override {}
    [[nodiscard]] const std::string& name() const { return name_; }

  private:
    std::string name_;
    std::vector<std::string> types_;
};

// One step of what happens between Pastiq and the compositor. `name` is a write's text, a
// foreign owner's name, or empty for a clear or an empty clipboard.
struct Step {
    enum Kind { write, echo, foreign, synced } kind;
    std::uint64_t writeId = 0;
    std::string name;
};

struct TrackerCase {
    const char* story;
    std::vector<Step> steps;
    int foreignChanges;
    // "own:TEXT", "offer:NAME" or "empty".
    std::string holds;
};

std::string describe(const SelectionTracker::View& view) {
    if (view.offer) {
        return "offer:" + static_cast<const NamedOffer&>(*view.offer).name();
    }
    return view.ownText ? "own:" + *view.ownText : "empty";
}

class SelectionTrackerTest : public ::testing::TestWithParam<TrackerCase> {};

TEST_P(SelectionTrackerTest, CountsOnlyOtherOwnersAndKnowsWhatTheClipboardHolds) {
    SelectionTracker tracker;
    int changes = 0;
    for (const auto& step : GetParam().steps) {
        switch (step.kind) {
            case Step::write:
                tracker.noteOwnWrite(step.writeId, step.name.empty()
                                                       ? nullptr
                                                       : std::make_shared<std::string>(step.name));
                break;
            case Step::echo:
                changes += tracker.noteSelection(
                    step.name.empty() ? nullptr : std::make_shared<NamedOffer>(step.name),
                    step.name.empty() ? std::nullopt : std::optional(step.writeId));
                break;
            case Step::foreign:
                changes += tracker.noteSelection(
                    step.name.empty() ? nullptr : std::make_shared<NamedOffer>(step.name),
                    std::nullopt);
                break;
            case Step::synced:
                changes += tracker.noteSynced(step.writeId);
                break;
        }
    }
    EXPECT_EQ(changes, GetParam().foreignChanges) << GetParam().story;
    EXPECT_EQ(describe(tracker.view()), GetParam().holds) << GetParam().story;
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(
    Stories, SelectionTrackerTest,
    ::testing::Values(
        TrackerCase{
            "a copy in another application", {{S::foreign, 0, "editor"}}, 1, "offer:editor"},
        TrackerCase{"Pastiq's write and its echo",
                    {{S::write, 1, "item"}, {S::echo, 1, "item"}, {S::synced, 1, ""}},
                    0,
                    "own:item"},
        TrackerCase{"a copy the compositor took before Pastiq's write",
                    {{S::write, 1, "item"},
                     {S::foreign, 0, "editor"},
                     {S::echo, 1, "item"},
                     {S::synced, 1, ""}},
                    0,
                    "own:item"},
        TrackerCase{"an older write's echo while a newer one is on its way",
                    {{S::write, 1, "first"}, {S::write, 2, "second"}, {S::echo, 1, "first"}},
                    0,
                    "own:second"},
        TrackerCase{"a copy after Pastiq's write",
                    {{S::write, 1, "item"},
                     {S::echo, 1, "item"},
                     {S::foreign, 0, "editor"},
                     {S::synced, 1, ""}},
                    1,
                    "offer:editor"},
        TrackerCase{
            "a clear and its echo",
            {{S::foreign, 0, "editor"}, {S::write, 1, ""}, {S::echo, 1, ""}, {S::synced, 1, ""}},
            1,
            "empty"},
        TrackerCase{
            "a copy before a clear that empties it",
            {{S::write, 1, ""}, {S::foreign, 0, "editor"}, {S::echo, 1, ""}, {S::synced, 1, ""}},
            0,
            "empty"},
        TrackerCase{"a copy after a clear of an empty clipboard, which has no echo",
                    {{S::write, 1, ""}, {S::foreign, 0, "editor"}, {S::synced, 1, ""}},
                    1,
                    "offer:editor"},
        TrackerCase{"an owner quitting while Pastiq's write is on its way",
                    {{S::write, 1, "item"}, {S::foreign, 0, ""}, {S::echo, 1, "item"}},
                    0,
                    "own:item"},
        TrackerCase{"a clipboard manager taking over Pastiq's text, mark and all",
                    {{S::write, 1, "item"},
                     {S::echo, 1, "item"},
                     {S::synced, 1, ""},
                     {S::echo, 1, "manager"}},
                    1,
                    "offer:manager"}));

TEST(SelectionTrackerTest, LetsGoOfOffersBeforeTheirConnectionCloses) {
    SelectionTracker tracker;
    auto offer = std::make_shared<NamedOffer>("editor");
    tracker.noteSelection(offer, std::nullopt);
    tracker.forgetOffers();
    EXPECT_EQ(offer.use_count(), 1);
}

}  // namespace
}  // namespace pastiq::wayland
