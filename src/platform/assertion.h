#pragma once

// A check of the program's own invariants: an index it computed, a count it keeps, a position
// inside a buffer it sized. A failed check is a fault in the program, so it stops there with the
// place and the condition instead of going on with a quietly mended value. Values read from files,
// typed by the user or written by another station are never checked this way: they are refused or
// ignored with a message, in every build.
//
// Active in Debug builds and in the sanitizer and fuzz builds (QV_ASSERTIONS); under NDEBUG
// otherwise the condition is not evaluated at all.
#if !defined(NDEBUG) || defined(QV_ASSERTIONS)
#define QV_ASSERTIONS_ACTIVE 1
#define QV_ASSERT(cond) ((cond) ? void(0) : ::qv::AssertionFailed(#cond, __FILE__, __LINE__))
#else
#define QV_ASSERTIONS_ACTIVE 0
#define QV_ASSERT(cond) void(sizeof(!(cond)))
#endif

namespace qv {

// Prints "file:line: assertion failed: condition" on stderr and aborts.
[[noreturn]] void AssertionFailed(const char* condition, const char* file, int line);

}  // namespace qv
