#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "KeyPathFakes.h"
#include "platform/wayland/KeyMeaning.h"
#include "platform/wayland/KeyRouter.h"

namespace pastiq::wayland {
namespace {

const std::map<std::string, std::uint16_t> kKeys = {
    {"ctrl", KEY_LEFTCTRL}, {"shift", KEY_LEFTSHIFT},
    {"tab", KEY_TAB},       {"alt", KEY_LEFTALT},
    {"a", KEY_A},           {"b", KEY_B},
    {"c", KEY_C},           {"v", KEY_V},
    {"[", KEY_LEFTBRACE},   {"]", KEY_RIGHTBRACE},
};

std::string nameOf(std::uint16_t code) {
    for (const auto& [name, key] : kKeys) {
        if (key == code) {
            return name;
        }
    }
    return std::to_string(code);
}

// Drives a router over a US keymap with a script of words: "+v" press, "-v" release, "*v"
// auto-repeat, "pass" / "consume" the verdict on the oldest key asked about ("hold": pass it on
// and hold what follows until "tab" is typed after it), "grab" / "ungrab"
// (the hub's order: pass on what waits, release what the sink holds), "copy" (Pastiq's own
// Ctrl+C), "standin" (the keys come from a stand-in keyboard from then on). Keys from a real
// keyboard reach the compositor by themselves unless grabbed; a stand-in's never do.
class RouterScript {
  public:
    RouterScript() : log_(std::make_shared<testing::EventLog>()), sink_(log_) {
        EXPECT_TRUE(meaning_.setKeymap(testing::keymapText("us"), {}));
        router_ = std::make_unique<KeyRouter>(
            sink_, meaning_,
            KeyRouter::Hooks{[this](KeyRouter::KeyId id, const KeyEvent&) { asked_.push_back(id); },
                             [this] { ++hotkeys_; }});
    }

    void run(const std::string& script) {
        std::istringstream words(script);
        std::string word;
        while (words >> word) {
            step(word);
        }
    }

    // The strokes the sink sent, in the script's own words.
    [[nodiscard]] std::string sent() const {
        std::string out;
        for (const auto& entry : log_->entries()) {
            out += (out.empty() ? "" : " ") + entry.substr(0, 1) +
                   nameOf(static_cast<std::uint16_t>(std::stoi(entry.substr(1))));
        }
        return out;
    }
    [[nodiscard]] int judged() const { return judged_; }
    [[nodiscard]] int hotkeys() const { return hotkeys_; }

  private:
    void step(const std::string& word) {
        if (word == "grab" || word == "ungrab") {
            grabbed_ = word == "grab";
            if (!grabbed_) {
                router_->passOnAll();
                router_->releaseHeld();
            }
            router_->setJudging(grabbed_);
        } else if (word == "pass" || word == "consume") {
            ASSERT_FALSE(asked_.empty()) << "no key waits for " << word;
            const auto id = asked_.front();
            asked_.pop_front();
            ++judged_;
            router_->verdict(id, word == "pass" ? KeyVerdict::passOn : KeyVerdict::consume);
        } else if (word == "hold") {
            ASSERT_FALSE(asked_.empty()) << "no key waits for " << word;
            ++judged_;
            router_->passOnThenHold(asked_.front());
            asked_.pop_front();
        } else if (word == "tab") {
            router_->resumeWithKey(KEY_TAB);
        } else if (word == "standin") {
            standIn_ = true;
        } else if (word == "copy") {
            router_->inject(
                {{KEY_LEFTCTRL, true}, {KEY_C, true}, {KEY_C, false}, {KEY_LEFTCTRL, false}});
        } else {
            const std::int32_t value = word[0] == '+' ? 1 : word[0] == '-' ? 0 : 2;
            router_->onKey(kKeys.at(word.substr(1)), value, grabbed_ || standIn_);
        }
    }

    std::shared_ptr<testing::EventLog> log_;
    testing::RecordingSink sink_;
    KeyMeaning meaning_;
    std::unique_ptr<KeyRouter> router_;
    std::deque<KeyRouter::KeyId> asked_;
    bool grabbed_ = false;
    bool standIn_ = false;
    int judged_ = 0;
    int hotkeys_ = 0;
};

struct RouteCase {
    const char* name;
    const char* script;
    const char* sent;
    int judged;
    int hotkeys;
};

TEST(KeyRouterTest, SendsKeysOnInTypedOrder) {
    const std::vector<RouteCase> cases = {
        {"ungrabbed keys reach the compositor by themselves", "+a -a +ctrl +v -v -ctrl", "", 0, 0},
        {"grabbed typing goes on, repeats dropped", "grab +a *a *a -a +b -b", "+a -a +b -b", 0, 0},
        {"a pasted key goes on after its verdict", "grab +ctrl +v pass -v -ctrl",
         "+ctrl +v -v -ctrl", 1, 0},
        {"keys typed behind a waiting key wait", "grab +ctrl +v -v +a -a -ctrl", "+ctrl", 0, 0},
        {"...and follow it in order", "grab +ctrl +v -v +a -a -ctrl pass",
         "+ctrl +v -v +a -a -ctrl", 1, 0},
        {"a consumed press and its release are dropped", "grab +ctrl +] *] -] +a consume -a -ctrl",
         "+ctrl +a -a -ctrl", 1, 0},
        {"a release after the verdict is dropped too", "grab +ctrl +[ consume *[ -[ -ctrl",
         "+ctrl -ctrl", 1, 0},
        {"one key is judged at a time", "grab +ctrl +v -v +v -v", "+ctrl", 0, 0},
        {"the next key is judged once the first went", "grab +ctrl +v -v +v -v pass pass -ctrl",
         "+ctrl +v -v +v -v -ctrl", 2, 0},
        {"shifted ctrl+v is no session key", "grab +ctrl +shift +v -v", "+ctrl +shift +v -v", 0, 0},
        {"the hot key is consumed while grabbed", "grab +ctrl +alt +c *c -c -alt -ctrl",
         "+ctrl +alt -alt -ctrl", 0, 1},
        {"the hot key is only seen when not grabbed", "+ctrl +alt +c -c -alt -ctrl", "", 0, 1},
        {"a release of a key held before the grab means nothing to the sink", "+a grab -a", "", 0,
         0},
        {"ungrabbing passes waiting keys on and releases held ones",
         "grab +ctrl +v +a ungrab -a -v -ctrl", "+ctrl +v +a -ctrl -a -v", 0, 0},
        {"pastiq's copy goes behind waiting keys", "grab +ctrl +v -v -ctrl copy +b -b pass",
         "+ctrl +v -v -ctrl +ctrl +c -c -ctrl +b -b", 1, 0},
        {"pastiq's copy is never judged", "copy", "+ctrl +c -c -ctrl", 0, 0},
        {"keys after a paste wait for the key that follows it, typed without ctrl",
         "grab +ctrl +v hold -v -ctrl +a tab", "+ctrl +v -ctrl +tab -tab +ctrl -v -ctrl +a", 1, 0},
        {"ungrabbing ends the wait without the key", "grab +ctrl +v hold +a ungrab tab",
         "+ctrl +v +a -ctrl -a -v", 1, 0},
        {"a stand-in keyboard is sent on, never judged, when not grabbed",
         "standin +ctrl +v *v -v -ctrl", "+ctrl +v -v -ctrl", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RouterScript script;
        script.run(c.script);
        EXPECT_EQ(script.sent(), c.sent);
        EXPECT_EQ(script.judged(), c.judged);
        EXPECT_EQ(script.hotkeys(), c.hotkeys);
    }
}

}  // namespace
}  // namespace pastiq::wayland
