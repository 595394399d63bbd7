#include "app/control/cli/ParseCommand.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "app/control/cli/ExitStatus.h"
#include "app/control/cli/JsonWriter.h"
#include "model/ClipboardParser.h"

namespace pastiq {

namespace {

constexpr std::string_view kUsage = "usage: pastiq parse [--transposed] [FILE]\n";

struct ParseOptions {
    bool transposed = false;
    std::optional<std::string> file;  // standard input when absent
};

// Nothing when the arguments are not understood; the message is already on err.
std::optional<ParseOptions> readOptions(std::span<const std::string_view> args, std::ostream& err) {
    ParseOptions options;
    bool onlyFilesFollow = false;
    for (const std::string_view arg : args) {
        if (!onlyFilesFollow && arg == "--") {
            onlyFilesFollow = true;
        } else if (!onlyFilesFollow && arg == "--transposed") {
            options.transposed = true;
        } else if (!onlyFilesFollow && arg.size() > 1 && arg.front() == '-') {
            err << "pastiq parse: unknown option " << arg << "\n" << kUsage;
            return std::nullopt;
        } else if (options.file) {
            err << "pastiq parse: only one FILE can be parsed\n" << kUsage;
            return std::nullopt;
        } else {
            options.file = std::string(arg);
        }
    }
    if (options.file == "-") {
        options.file.reset();
    }
    return options;
}

// The whole stream, or nothing when reading failed.
std::optional<std::string> readAll(std::istream& in) {
    std::string text;
    std::array<char, std::size_t{64} * 1024> chunk{};
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        text.append(chunk.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> readInput(const ParseOptions& options, std::istream& in,
                                     std::ostream& err) {
    if (!options.file) {
        auto text = readAll(in);
        if (!text) {
            err << "pastiq parse: cannot read standard input\n";
        }
        return text;
    }
    errno = 0;
    std::ifstream file(*options.file, std::ios::binary);
    std::optional<std::string> text = file ? readAll(file) : std::nullopt;
    if (!text) {
        const int error = errno;
        err << "pastiq parse: cannot read " << *options.file << ": "
            << (error != 0 ? std::strerror(error) : "read error") << "\n";
    }
    return text;
}

void writeItem(JsonWriter& json, const QueueItem& item) {
    json.beginObject();
    json.key("text");
    json.value(item.text());
    if (const auto cell = item.cellLabel()) {
        json.key("row");
        json.value(*item.row());
        json.key("col");
        json.value(*item.col());
        json.key("cell");
        json.value(*cell);
    }
    json.endObject();
}

std::string toJson(const ParsedClipboard& parsed, bool transposed) {
    const SourceKind& kind = parsed.sourceKind;
    JsonWriter json;
    json.beginObject();
    json.key("kind");
    json.value(kind.isGrid() ? "grid" : "list");
    if (kind.isGrid()) {
        json.key("rows");
        json.value(kind.rows());
        json.key("cols");
        json.value(kind.cols());
    }
    json.key("label");
    json.value(kind.label());
    json.key("items");
    json.beginArray();
    const bool reorder = transposed && parsed.grid.has_value();
    std::vector<QueueItem> columnOrder;
    if (reorder) {
        columnOrder = ClipboardParser::flattenGrid(*parsed.grid, true);
    }
    const std::vector<QueueItem>& items = reorder ? columnOrder : parsed.items;
    for (const QueueItem& item : items) {
        writeItem(json, item);
    }
    json.endArray();
    json.endObject();
    return json.text();
}

}  // namespace

int runParseCommand(std::span<const std::string_view> args, std::istream& in, std::ostream& out,
                    std::ostream& err) {
    const auto options = readOptions(args, err);
    if (!options) {
        return kExitUsage;
    }
    const auto text = readInput(*options, in, err);
    if (!text) {
        return kExitUsage;
    }
    const auto parsed = ClipboardParser::parse(*text);
    if (!parsed) {
        err << "nothing to queue\n";
        return kExitNotRunningOrNothing;
    }
    out << toJson(*parsed, options->transposed) << '\n';
    out.flush();
    if (!out) {
        err << "pastiq parse: cannot write the result\n";
        return kExitUsage;
    }
    return kExitDone;
}

}  // namespace pastiq
