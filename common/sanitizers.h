#pragma once
// Which sanitizer a translation unit is built with, for the few places that
// behave differently under one: BRIVEL_ADDRESS_SANITIZER and
// BRIVEL_THREAD_SANITIZER are defined (as 1) when AddressSanitizer or
// ThreadSanitizer instruments the build, under GCC (__SANITIZE_*__) and clang
// (__has_feature) alike. Internal to the library's sources.

#if defined(__SANITIZE_ADDRESS__)
#define BRIVEL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRIVEL_ADDRESS_SANITIZER 1
#endif
#endif

#if defined(__SANITIZE_THREAD__)
#define BRIVEL_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define BRIVEL_THREAD_SANITIZER 1
#endif
#endif
