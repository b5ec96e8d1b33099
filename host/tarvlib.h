// The two functions the module imports from the host's shared library (tarvlib.dll on Windows,
// libtarvlib.so on Linux). Arguments go on the stack, last first; the caller removes them.
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define TARV_CALL __cdecl
#else
#define TARV_CALL
#endif

#if defined(_WIN32)
// Definition files name the exports and imports on Windows (host/win32/tarvlib.def), so the
// names are exactly the host's and a test double may define the functions in the same program.
#define TARV_API
#elif defined(TARVLIB_BUILDING)
#define TARV_API __attribute__((visibility("default")))
#else
#define TARV_API
#endif

extern "C" {

// Looks up a host setting. Non-zero: `out` holds the value as a zero-terminated text of fewer than
// 264 bytes. Zero: there is no such setting.
TARV_API int TARV_CALL GetRegistryString(char* section, char* entry, char* out);

// Tidies an output text in place for the host's display. The result means nothing.
TARV_API int TARV_CALL StripLF(char* text);

}  // extern "C"
