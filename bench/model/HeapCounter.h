#pragma once

#include <cstddef>

namespace pastiq::bench {

// Counts the heap bytes (as malloc really reserved them) that operator new hands out and
// operator delete takes back while counting is on. Single-threaded benchmarks only: the
// counter is a plain integer so that counting costs next to nothing.
class HeapCounter {
  public:
    HeapCounter();
    ~HeapCounter();
    HeapCounter(const HeapCounter&) = delete;
    HeapCounter& operator=(const HeapCounter&) = delete;

    // Bytes still held out of those allocated since construction.
    [[nodiscard]] long long liveBytes() const;

    // The heap chunk size behind a pointer from operator new.
    static std::size_t chunkSize(const void* pointer);
};

}  // namespace pastiq::bench
