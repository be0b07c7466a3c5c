#include "tests/support/largest_allocation.h"

#include <atomic>

// Under AddressSanitizer the sanitizer owns malloc and offers a hook;
// otherwise this program's own malloc stands in front of the C library's.
#if defined(__SANITIZE_ADDRESS__)
#define WATCH_THROUGH_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WATCH_THROUGH_SANITIZER 1
#endif
#endif

#ifdef WATCH_THROUGH_SANITIZER
// The sanitizer runtime's own; declared here because GCC ships no header for it.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*,
                                                                          size_t),
                                                         void (*onFree)(const volatile void*));
#endif

namespace {

std::atomic<bool> watching{false};
std::atomic<size_t> largest{0};

void Record(size_t size) {
    if (!watching.load(std::memory_order_relaxed)) return;
    size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size)) {
    }
}

}  // namespace

#ifdef WATCH_THROUGH_SANITIZER

namespace {

void OnMalloc(const volatile void*, size_t size) {
    Record(size);
}
void OnFree(const volatile void*) {}

void StartWatching() {
    // The sanitizer takes a handful of hooks and never gives one back.
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree);
    (void)installed;
}

}  // namespace

#else

extern "C" void* __libc_malloc(size_t size);

// Every malloc of the program, libraries included, comes here first. Only
// plain malloc is watched: the readers ask for their large blocks with it or
// with new, which calls it.
extern "C" void* malloc(size_t size) {
    Record(size);
    return __libc_malloc(size);
}

namespace {

void StartWatching() {}

}  // namespace

#endif

LargestAllocation::LargestAllocation() {
    StartWatching();
    largest = 0;
    watching = true;
}

LargestAllocation::~LargestAllocation() {
    watching = false;
}

size_t LargestAllocation::Bytes() const {
    return largest.load();
}
