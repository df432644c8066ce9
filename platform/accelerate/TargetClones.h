#pragma once

// Compiles a function once for the baseline x86-64 and again for each wider
// instruction set named; the loader picks the best the machine has. The
// choice is made by resolvers that run while the loader relocates the
// library, before the thread sanitizer's runtime is ready, so a build under
// that sanitizer keeps the baseline alone.
#if defined(__SANITIZE_THREAD__)
#define ROTIX_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define ROTIX_THREAD_SANITIZER 1
#endif
#endif

#if defined(ROTIX_THREAD_SANITIZER)
#define ROTIX_TARGET_CLONES(...)
#else
#define ROTIX_TARGET_CLONES(...) __attribute__((target_clones(__VA_ARGS__, "default")))
#endif
