#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "InputEvents.h"
#include "platform/wayland/KeyboardDirectory.h"
#include "platform/wayland/ScriptedKeyboard.h"

namespace pastiq::wayland {
namespace {

using testing::keyEvent;

// A FIFO in a fresh folder, and the test's writing end of it.
class ScriptedKeyboardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "pastiq-fifo-XXXXXX");
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        fifo_ = folder_ / "keyboard";
        ASSERT_EQ(::mkfifo(fifo_.c_str(), 0600), 0);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    [[nodiscard]] UniqueFd openWriter() const {
        return UniqueFd(::open(fifo_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    }

    std::filesystem::path folder_;
    std::filesystem::path fifo_;
};

TEST_F(ScriptedKeyboardTest, ReassemblesEventsWrittenInPieces) {
    auto keyboard = ScriptedKeyboard::open(fifo_);
    ASSERT_TRUE(keyboard);
    const UniqueFd writer = openWriter();
    const std::array written{keyEvent(KEY_LEFTCTRL, 1), keyEvent(KEY_V, 1)};
    const auto* bytes = reinterpret_cast<const char*>(written.data());
    std::vector<input_event> read;
    // Cut so that each piece ends inside an event: nothing may come out half.
    for (std::size_t offset = 0; offset < sizeof written; offset += 7) {
        const std::size_t piece = std::min<std::size_t>(7, sizeof written - offset);
        ASSERT_EQ(::write(writer.get(), bytes + offset, piece), static_cast<ssize_t>(piece));
        ASSERT_TRUE(keyboard->read(read));
        EXPECT_EQ(read.size(), (offset + piece) / sizeof(input_event));
    }
    ASSERT_EQ(read.size(), 2U);
    EXPECT_EQ(read[1].code, KEY_V);
    EXPECT_EQ(read[1].value, 1);
}

// Each event comes from a writer of its own that closes after it, as one test after another
// writes: a closed writer is no end of the keyboard.
TEST_F(ScriptedKeyboardTest, TracksTheKeysItReadAsHeld) {
    auto keyboard = ScriptedKeyboard::open(fifo_);
    const std::vector<std::pair<input_event, std::vector<std::uint16_t>>> heldAfterEach{
        {keyEvent(KEY_Z, 1), {KEY_Z}},
        {keyEvent(KEY_Z, 2), {KEY_Z}},  // a repeat
        {keyEvent(KEY_LEFTSHIFT, 1), {KEY_LEFTSHIFT, KEY_Z}},
        {keyEvent(KEY_C, 0), {KEY_LEFTSHIFT, KEY_Z}},  // never pressed
        {keyEvent(KEY_Z, 0), {KEY_LEFTSHIFT}},
        {keyEvent(KEY_LEFTSHIFT, 0), {}},
    };
    for (const auto& [event, held] : heldAfterEach) {
        ASSERT_EQ(::write(openWriter().get(), &event, sizeof event), sizeof event);
        std::vector<input_event> read;
        ASSERT_TRUE(keyboard->read(read));
        ASSERT_EQ(read.size(), 1U);
        EXPECT_EQ(keyboard->heldKeys(), held) << "after key " << event.code << " = " << event.value;
    }
}

// Under test, the directory offers the FIFO's keyboard once, or nothing, but never a real one.
TEST_F(ScriptedKeyboardTest, DirectoryOffersOnlyTheScriptedKeyboard) {
    std::ofstream(folder_ / "plain") << "not a fifo";
    const std::vector<std::pair<std::string, std::size_t>> offered{
        {fifo_, 1}, {folder_ / "plain", 0}, {folder_ / "missing", 0}};
    for (const auto& [scriptedPath, count] : offered) {
        SCOPED_TRACE(scriptedPath);
        const std::string& path = scriptedPath;
        const auto directory = KeyboardDirectory::open([&](const std::string& name) {
            return name == KeyboardDirectory::kTestKeyboardVariable ? std::optional(path)
                                                                    : std::nullopt;
        });
        EXPECT_EQ(directory->fd(), -1) << "no udev monitor in a scripted run";
        const auto first = directory->takeChanges();
        ASSERT_EQ(first.added.size(), count);
        for (const auto& keyboard : first.added) {
            EXPECT_FALSE(keyboard->reachesCompositorUngrabbed());
        }
        EXPECT_TRUE(directory->takeChanges().added.empty());
    }
}

}  // namespace
}  // namespace pastiq::wayland
