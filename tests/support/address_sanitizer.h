#pragma once
// Whether this build runs under AddressSanitizer (and so LeakSanitizer):
// KESTRUNE_ADDRESS_SANITIZER for the preprocessor, addressSanitizer for code.
// GCC says so with __SANITIZE_ADDRESS__, clang through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define KESTRUNE_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KESTRUNE_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef KESTRUNE_ADDRESS_SANITIZER
constexpr bool addressSanitizer = true;
#else
constexpr bool addressSanitizer = false;
#endif
