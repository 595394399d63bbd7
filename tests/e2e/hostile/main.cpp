// A misbehaving X client for Pastiq's end-to-end tests, one behaviour per run:
//   hostile_clipboard huge-property [BYTES]      answers with one property of BYTES (200 MB)
//   hostile_clipboard endless-incr [PIECE_BYTES] answers in increments that never end (1 MiB)
//   hostile_clipboard silent                     never answers a request
//   hostile_clipboard request-flood              floods the clipboard's owner with requests
// The owners take the CLIPBOARD on each line of standard input.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <map>
#include <string>

#include "HostileConnection.h"
#include "HostileOwner.h"
#include "RequestFlood.h"

namespace {

using pastiq::hostile::Answer;

const std::map<std::string, std::pair<Answer, std::uint64_t>> kOwners = {
    {"huge-property", {Answer::hugeProperty, 200'000'000}},
    {"endless-incr", {Answer::endlessIncrements, std::uint64_t{1} << 20}},
    {"silent", {Answer::silence, 0}},
};

int runOwner(const std::string& mode, const char* bytes) {
    const auto& [answer, defaultBytes] = kOwners.at(mode);
    pastiq::hostile::HostileConnection x;
    pastiq::hostile::HostileOwner owner(x, answer,
                                        bytes != nullptr ? std::stoull(bytes) : defaultBytes);
    owner.run();
    return 0;
}

int runFlood() {
    pastiq::hostile::HostileConnection x;
    if (!pastiq::hostile::RequestFlood(x).run()) {
        std::fputs("nobody owns the clipboard\n", stderr);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "request-flood") {
            return runFlood();
        }
        if (kOwners.contains(mode)) {
            return runOwner(mode, argc > 2 ? argv[2] : nullptr);
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "hostile_clipboard: %s\n", failure.what());
        return 1;
    }
    std::fputs("usage: hostile_clipboard huge-property|endless-incr|silent|request-flood [BYTES]\n",
               stderr);
    return 2;
}
