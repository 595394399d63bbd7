// Speed and memory of the queue model on large copies, each against a baseline measured in
// the same run: splitting the same text into strings is the least any parser must do.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "BenchCorpus.h"
#include "HeapCounter.h"
#include "RatioReporter.h"
#include "model/ClipboardParser.h"

namespace pastiq::bench {
namespace {

constexpr std::size_t kListLines = 1'000'000;
constexpr std::size_t kGridRows = 100'000;
constexpr std::size_t kGridCols = 10;

const std::string& listText() {
    static const std::string text = BenchCorpus::list(kListLines);
    return text;
}

const std::string& gridText() {
    static const std::string text = BenchCorpus::grid(kGridRows, kGridCols);
    return text;
}

const ParsedClipboard& parsedGrid() {
    static const ParsedClipboard parsed = *ClipboardParser::parse(gridText());
    return parsed;
}

void splitBaseline(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        auto lines = BenchCorpus::splitLines(text);
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void parse(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        auto parsed = ClipboardParser::parse(text);
        benchmark::DoNotOptimize(parsed->items.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void listSplitBaseline(benchmark::State& state) {
    splitBaseline(state, listText());
}
void listParse(benchmark::State& state) {
    parse(state, listText());
}
void gridSplitBaseline(benchmark::State& state) {
    splitBaseline(state, gridText());
}
void gridParse(benchmark::State& state) {
    parse(state, gridText());
}

// Baseline for reordering: copying the same items in the order they already have.
void gridCopyBaseline(benchmark::State& state) {
    const auto& items = parsedGrid().items;
    for (auto _ : state) {
        std::vector<QueueItem> copy = items;
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * items.size()));
}

void flattenGridTransposed(benchmark::State& state) {
    const Grid& grid = *parsedGrid().grid;
    for (auto _ : state) {
        auto items = ClipboardParser::flattenGrid(grid, true);
        benchmark::DoNotOptimize(items.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kGridRows * kGridCols));
}

BENCHMARK(listSplitBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(listParse)->Unit(benchmark::kMillisecond);
BENCHMARK(gridSplitBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(gridParse)->Unit(benchmark::kMillisecond);
BENCHMARK(gridCopyBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(flattenGridTransposed)->Unit(benchmark::kMillisecond);

long long textHeapBytes(const std::vector<QueueItem>& items) {
    long long bytes = 0;
    for (const QueueItem& item : items) {
        // Short texts live inside the string object itself and own no heap.
        if (item.text().capacity() > std::string().capacity()) {
            bytes += static_cast<long long>(HeapCounter::chunkSize(item.text().data()));
        }
    }
    return bytes;
}

// Heap held by the parsed million-line queue, apart from the heap of its texts.
void reportQueueMemory() {
    const std::string& text = listText();
    long long heldBytes = 0;
    long long textBytes = 0;
    std::size_t count = 0;
    {
        const HeapCounter counter;
        const auto parsed = ClipboardParser::parse(text);
        heldBytes = counter.liveBytes();
        textBytes = textHeapBytes(parsed->items);
        count = parsed->items.size();
    }
    long long baselineBytes = 0;
    {
        const HeapCounter counter;
        const auto lines = BenchCorpus::splitLines(text);
        baselineBytes = counter.liveBytes();
    }
    const auto perItem = [&](long long bytes) {
        return static_cast<double>(bytes) / static_cast<double>(count);
    };
    std::printf("\nMemory of the %zu-line queue (%.1f MB of text):\n", count,
                static_cast<double>(text.size()) / 1e6);
    std::printf("  heap per item, all:             %6.1f bytes\n", perItem(heldBytes));
    std::printf("  heap per item, texts' own heap: %6.1f bytes\n", perItem(textBytes));
    std::printf("  heap per item beyond its text:  %6.1f bytes (goal: at most 64)\n",
                perItem(heldBytes - textBytes));
    std::printf("  baseline vector<string> per line, all: %6.1f bytes\n", perItem(baselineBytes));
}

}  // namespace
}  // namespace pastiq::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    pastiq::bench::RatioReporter reporter({
        {"listParse", "listSplitBaseline"},
        {"gridParse", "gridSplitBaseline"},
        {"flattenGridTransposed", "gridCopyBaseline"},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    pastiq::bench::reportQueueMemory();
    benchmark::Shutdown();
    return 0;
}
