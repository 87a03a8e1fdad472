#pragma once

// Defines TEVARO_THREAD_SANITIZER in a ThreadSanitizer build (clang or gcc),
// where the lockers and hand-overs of AnnotatedLocks.h and ThreadHandOver.h
// tell ThreadSanitizer what it cannot see inside Qt.

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TEVARO_THREAD_SANITIZER 1
#endif
#endif
#if !defined(TEVARO_THREAD_SANITIZER) && defined(__SANITIZE_THREAD__)
#define TEVARO_THREAD_SANITIZER 1
#endif
