#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "X11Fixture.h"
#include "platform/x11/ClipboardReader.h"
#include "platform/x11/IncrSender.h"
#include "platform/x11/XReply.h"

namespace pastiq::testing {
namespace {

using namespace std::chrono_literals;

class X11ClipboardTest : public X11Test {
  protected:
    // Writes and waits until the write took effect: a read queues behind it.
    void write(const std::string& text) {
        platform->ports().clipboard.writeText(text);
        ASSERT_EQ(readClipboard().text, text);
    }

    // Makes another application (xclip) own the clipboard with these bytes.
    void ownByXclip(const std::string& bytes, const std::string& target = "UTF8_STRING") {
        const auto file = std::filesystem::temp_directory_path() /
                          ("pastiq-x11-test-" + std::to_string(getpid()));
        std::ofstream(file, std::ios::binary) << bytes;
        const auto before = platform->ports().clipboard.changeCount();
        ASSERT_EQ(runShell("xclip -selection clipboard -t " + target + " -i < " + file.string()),
                  0);
        std::filesystem::remove(file);
        ASSERT_TRUE(
            main.runUntil([&] { return platform->ports().clipboard.changeCount() > before; }));
    }

    std::string atomNames(const std::string& bytes) {
        std::string names;
        for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
            xcb_atom_t atom = 0;
            std::copy_n(bytes.data() + i, 4, reinterpret_cast<char*>(&atom));
            const x11::XReply<xcb_get_atom_name_reply_t> reply(xcb_get_atom_name_reply(
                client->get(), xcb_get_atom_name(client->get(), atom), nullptr));
            names.append(xcb_get_atom_name_name(reply.get()),
                         static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get())));
            names += ' ';
        }
        return names;
    }
};

struct TargetCase {
    const char* text;
    const char* target;
    const char* type;  // nullptr: refused
    std::string bytes;
};

TEST_F(X11ClipboardTest, EachTextTargetIsServedInItsEncoding) {
    const std::vector<TargetCase> cases{
        {"Grüße", "UTF8_STRING", "UTF8_STRING", "Grüße"},
        {"Grüße", "text/plain;charset=utf-8", "text/plain;charset=utf-8", "Grüße"},
        {"Grüße", "STRING", "STRING",
         "Gr\xfc\xdf"
         "e"},
        {"Grüße", "TEXT", "STRING",
         "Gr\xfc\xdf"
         "e"},
        {"日本 ok", "UTF8_STRING", "UTF8_STRING", "日本 ok"},
        {"日本 ok", "STRING", nullptr, ""},
        {"日本 ok", "TEXT", "UTF8_STRING", "日本 ok"},
        {"日本 ok", "image/png", nullptr, ""},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(std::string(testCase.text) + " as " + testCase.target);
        write(testCase.text);
        const auto converted = client->convertClipboard(client->atom(testCase.target));
        if (testCase.type == nullptr) {
            EXPECT_FALSE(converted);
            continue;
        }
        ASSERT_TRUE(converted);
        EXPECT_EQ(converted->type, client->atom(testCase.type));
        EXPECT_EQ(converted->bytes, testCase.bytes);
    }
}

TEST_F(X11ClipboardTest, TargetsNameTheTextTargetsAndLatin1OnlyWhenItFits) {
    write("Grüße");
    auto targets = client->convertClipboard(client->atom("TARGETS"));
    ASSERT_TRUE(targets);
    EXPECT_EQ(atomNames(targets->bytes),
              "TARGETS TIMESTAMP UTF8_STRING text/plain;charset=utf-8 TEXT STRING ");
    write("日本");
    targets = client->convertClipboard(client->atom("TARGETS"));
    ASSERT_TRUE(targets);
    EXPECT_EQ(atomNames(targets->bytes),
              "TARGETS TIMESTAMP UTF8_STRING text/plain;charset=utf-8 TEXT ");
    EXPECT_EQ(readShell("xclip -selection clipboard -o"), "日本");
}

TEST_F(X11ClipboardTest, ALargeTextIsSentInIncrements) {
    std::string large(2U << 20U, 'x');
    for (std::size_t i = 0; i < large.size(); i += 1000) {
        large[i] = static_cast<char>('a' + (i / 1000) % 26);
    }
    write(large);
    const auto announced = client->convertClipboard(client->atom("UTF8_STRING"));
    ASSERT_TRUE(announced);
    EXPECT_EQ(announced->type, client->atom("INCR"));
    const std::string pasted = readShell("xclip -selection clipboard -o");
    EXPECT_EQ(pasted.size(), large.size());
    EXPECT_TRUE(pasted == large);
}

// A client that asks again and again and never reads must not make transfers pile up, each
// holding the text: past the limit of transfers under way a request is refused.
TEST_F(X11ClipboardTest, TransfersInIncrementsAreLimited) {
    write(std::string(1U << 20U, 'x'));
    const xcb_atom_t utf8 = client->atom("UTF8_STRING");
    for (std::size_t transfer = 0; transfer < x11::IncrSender::kMaxTransfers; ++transfer) {
        const std::string property = "TEST_TRANSFER_" + std::to_string(transfer);
        const auto announced = client->convertClipboard(utf8, XCB_CURRENT_TIME, property);
        ASSERT_TRUE(announced) << transfer;
        EXPECT_EQ(announced->type, client->atom("INCR"));
    }
    EXPECT_FALSE(client->convertClipboard(utf8, XCB_CURRENT_TIME, "TEST_TRANSFER_MORE"));
}

TEST_F(X11ClipboardTest, APasteIsAnsweredWithTheTextOfItsKeyPress) {
    write("before");
    std::this_thread::sleep_for(5ms);  // server times count milliseconds
    int pasted = 0;
    const std::vector<std::string> items{"first", "second", "third"};
    ASSERT_TRUE(platform->ports().keyGrab.install({[&](const KeyEvent&) {
                                                       platform->ports().clipboard.writeText(
                                                           items.at(pasted++));
                                                       return KeyVerdict::passOn;
                                                   },
                                                   {}}));
    // Three Ctrl+V 5 ms apart; the "application" asks for the clipboard only afterwards.
    for (int i = 0; i < 3; ++i) {
        client->chord({"LCTL"}, "AB04");
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(main.runUntil([&] { return pasted == 3; }));
    const auto presses = client->keyPressesUntilMarker();
    ASSERT_EQ(presses.size(), 3U);
    const xcb_atom_t utf8 = client->atom("UTF8_STRING");
    for (std::size_t i = 0; i < presses.size(); ++i) {
        const auto text = client->convertClipboard(utf8, presses[i].time);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->bytes, items[i]);
    }
    EXPECT_EQ(client->convertClipboard(utf8, presses[0].time - 1).value_or(Converted{}).bytes,
              "before");
    EXPECT_EQ(client->convertClipboard(utf8).value_or(Converted{}).bytes, "third");
    EXPECT_EQ(readClipboard().text, "third");
}

TEST_F(X11ClipboardTest, AKeyWriteOlderThanAnotherOwnersChangeStillTakesTheClipboard) {
    write("mine");
    bool judged = false;
    ASSERT_TRUE(platform->ports().keyGrab.install({[&](const KeyEvent&) {
                                                       platform->ports().clipboard.writeText(
                                                           "pasted");
                                                       judged = true;
                                                       return KeyVerdict::passOn;
                                                   },
                                                   {}}));
    client->chord({"LCTL"}, "AB04");
    client->sync();
    // Another application takes the clipboard after the key press but before its verdict.
    std::this_thread::sleep_for(5ms);
    xcb_set_selection_owner(client->get(), client->window(), client->atom("CLIPBOARD"),
                            XCB_CURRENT_TIME);
    client->sync();
    ASSERT_TRUE(main.runUntil([&] { return judged; }));
    ASSERT_TRUE(client->nextPressOf("AB04"));
    EXPECT_EQ(client->convertClipboard(client->atom("UTF8_STRING")).value_or(Converted{}).bytes,
              "pasted");
    EXPECT_EQ(readClipboard().text, "pasted");
}

TEST_F(X11ClipboardTest, ClearLeavesNothingToPaste) {
    write("gone");
    platform->ports().clipboard.clear();
    ASSERT_EQ(readClipboard().text, std::nullopt);
    for (const char* target : {"UTF8_STRING", "STRING", "TEXT", "text/plain;charset=utf-8"}) {
        EXPECT_FALSE(client->convertClipboard(client->atom(target))) << target;
    }
    const auto targets = client->convertClipboard(client->atom("TARGETS"));
    ASSERT_TRUE(targets);
    EXPECT_EQ(atomNames(targets->bytes), "TARGETS TIMESTAMP ");
    EXPECT_EQ(readClipboard().text, std::nullopt);
}

TEST_F(X11ClipboardTest, ChangeCountCountsOwnWritesOnceAndEveryOtherOwner) {
    auto& clipboard = platform->ports().clipboard;
    const auto start = clipboard.changeCount();
    clipboard.writeText("mine");
    EXPECT_EQ(clipboard.changeCount(), start + 1);
    clipboard.clear();
    EXPECT_EQ(clipboard.changeCount(), start + 2);
    // By now the server has reported both ownership changes to the X11 thread.
    EXPECT_EQ(readClipboard().text, std::nullopt);
    main.runFor(100ms);
    EXPECT_EQ(clipboard.changeCount(), start + 2);

    ownByXclip("theirs");
    main.runFor(100ms);
    EXPECT_EQ(clipboard.changeCount(), start + 3);
}

TEST_F(X11ClipboardTest, AnotherOwnersTextIsRead) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* target;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"UTF-8 owner", "Zoë 日本\nline", "UTF8_STRING", "Zoë 日本\nline"},
        {"Latin-1 only owner", "Zo\xeb", "STRING", "Zoë"},
        {"large text", std::string(1U << 20U, 'q'), "UTF8_STRING", std::string(1U << 20U, 'q')},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.name);
        ownByXclip(testCase.bytes, testCase.target);
        EXPECT_EQ(readClipboard().text, testCase.expected);
    }
    ownByXclip("", "image/png");
    EXPECT_EQ(readClipboard().text, std::nullopt);
}

// A copy Pastiq would not queue is not fetched: its owner announces the size, and that is all
// that is read.
TEST_F(X11ClipboardTest, ATextOverTheReadLimitIsReportedByItsSize) {
    const std::size_t size = Clipboard::kReadLimit + 1;
    ownByXclip(std::string(size, 'x'));
    const ClipboardText read = readClipboard();
    EXPECT_EQ(read.text, std::nullopt);
    EXPECT_EQ(read.tooLargeBytes, size);
}

// An owner that never answers: the main thread's call to read returns at once, and the reads
// answer with no text on the main thread when each gives up. They run one after the other, so
// the second does not cut the first short.
TEST_F(X11ClipboardTest, ReadsOfAnOwnerThatNeverAnswersDoNotBlockTheMainThread) {
    const auto before = platform->ports().clipboard.changeCount();
    xcb_set_selection_owner(client->get(), client->window(), client->atom("CLIPBOARD"),
                            XCB_CURRENT_TIME);
    client->sync();
    ASSERT_TRUE(main.runUntil([&] { return platform->ports().clipboard.changeCount() > before; }));

    auto answers = std::make_shared<std::vector<ClipboardText>>();
    const auto asked = std::chrono::steady_clock::now();
    for (int i = 0; i < 2; ++i) {
        platform->ports().clipboard.readText(
            [answers](ClipboardText text) { answers->push_back(std::move(text)); });
    }
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 50ms);
    ASSERT_TRUE(main.runUntil([&] { return answers->size() == 2; }, 5s));
    EXPECT_GE(std::chrono::steady_clock::now() - asked, 2 * x11::ClipboardReader::kReadBound);
    for (const ClipboardText& answer : *answers) {
        EXPECT_EQ(answer, ClipboardText{});
    }
}

}  // namespace
}  // namespace pastiq::testing
