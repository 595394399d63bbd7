#include "platform/wayland/TextTypes.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include "platform/wayland/CompositorKeyboard.h"
#include "platform/wayland/UniqueFd.h"

namespace pastiq::wayland {
namespace {

TEST(TextTypesTest, KnowsItsOwnWriteByTheMarkAndNoOtherProcesssMark) {
    EXPECT_EQ(markedWrite(offeredTypes(42)), 42U);
    EXPECT_EQ(markedWrite(offeredTypes(0)), 0U);
    const std::string foreignMark =
        "application/x-pastiq-write;id=" + std::to_string(getpid() + 1) + ".42";
    for (const std::vector<std::string>& types :
         {std::vector<std::string>{"text/plain", "UTF8_STRING"},
          {foreignMark},
          {offeredTypes(7).back() + "x"},
          {offeredTypes(7).back() + "-1"}}) {
        EXPECT_EQ(markedWrite(types), std::nullopt) << types.front();
    }
}

TEST(TextTypesTest, ReadsUtf8TextFirstAndNothingWithoutText) {
    struct Case {
        std::vector<std::string> offered;
        std::optional<std::string> chosen;
    };
    for (const auto& [offered, chosen] : {
             Case{{"text/html", "text/plain", "text/plain;charset=utf-8"},
                  "text/plain;charset=utf-8"},
             Case{{"STRING", "TEXT", "UTF8_STRING", "text/plain"}, "UTF8_STRING"},
             Case{{"image/png", "text/plain"}, "text/plain"},
             Case{{"image/png", "STRING", "x-special/gnome-copied-files"}, std::nullopt},
             Case{{}, std::nullopt},
         }) {
        EXPECT_EQ(bestTextType(offered), chosen);
    }
}

TEST(TextTypesTest, ReadsTheKeymapTheCompositorPassesUpToItsNul) {
    const std::string keymap = "xkb_keymap { xkb_keycodes { include \"evdev\" }; };";
    const int fd = memfd_create("keymap", MFD_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, keymap.c_str(), keymap.size() + 1),
              static_cast<ssize_t>(keymap.size() + 1));
    EXPECT_EQ(readKeymapFd(fd, static_cast<std::uint32_t>(keymap.size() + 1)), keymap);
    EXPECT_EQ(readKeymapFd(memfd_create("empty", MFD_CLOEXEC), 0), std::nullopt);
}

}  // namespace
}  // namespace pastiq::wayland
