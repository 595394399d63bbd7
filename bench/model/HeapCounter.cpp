#include "HeapCounter.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace {

bool gCounting = false;
long long gLiveBytes = 0;

// NOLINTBEGIN(cppcoreguidelines-no-malloc): replacing the global allocator is the point here.
void* allocate(std::size_t size) {
    void* pointer = std::malloc(size == 0 ? 1 : size);
    if (pointer == nullptr) {
        throw std::bad_alloc();
    }
    if (gCounting) {
        gLiveBytes += static_cast<long long>(malloc_usable_size(pointer));
    }
    return pointer;
}

void release(void* pointer) noexcept {
    if (pointer == nullptr) {
        return;
    }
    if (gCounting) {
        gLiveBytes -= static_cast<long long>(malloc_usable_size(pointer));
    }
    std::free(pointer);
}
// NOLINTEND(cppcoreguidelines-no-malloc)

}  // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* pointer) noexcept {
    release(pointer);
}
void operator delete[](void* pointer) noexcept {
    release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    release(pointer);
}
void operator delete[](void* pointer, std::size_t) noexcept {
    release(pointer);
}

namespace pastiq::bench {

HeapCounter::HeapCounter() {
    gLiveBytes = 0;
    gCounting = true;
}

HeapCounter::~HeapCounter() {
    gCounting = false;
}

long long HeapCounter::liveBytes() const {
    return gLiveBytes;
}

std::size_t HeapCounter::chunkSize(const void* pointer) {
    return malloc_usable_size(const_cast<void*>(pointer));
}

}  // namespace pastiq::bench
