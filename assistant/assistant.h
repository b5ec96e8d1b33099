// The module's exported boundary: the two functions a host calls. C linkage, arguments on the
// stack last first, the caller removes them (cdecl).
#pragma once

#if defined(_WIN32) && !defined(_WIN64)
#define ASSIST_CALL __cdecl
#else
#define ASSIST_CALL
#endif

#if defined(_WIN32)
#define ASSIST_API
#else
#define ASSIST_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Capacities the host guarantees for the three outputs, terminating zero included.
enum {
  kAssistAbstractCapacity = 799,
  kAssistKeywordsCapacity = 198,
  kAssistTitleCapacity = 199,
};

// Results of _StartAssist.
enum {
  kAssistFound = 1,         // outputs valid, passed through the host's StripLF
  kAssistNotFound = 0,      // cancelled, or no usable entry for the name
  kAssistDialogError = -1,  // the open-file dialog failed; outputs untouched
  kAssistCannotOpen = -2,   // the chosen catalogue cannot be opened; outputs untouched
};

// Tells the user there is nothing to configure. Returns 1.
ASSIST_API int ASSIST_CALL _SetupAssistant(void* owner);

// Asks for a catalogue, finds the entry for `fileName` (upper-cased in place) and fills the three
// zero-terminated outputs; `abstract` is appended to.
ASSIST_API int ASSIST_CALL _StartAssist(void* owner, char* fileName, char* abstract, char* keywords,
                                        char* title);

#ifdef __cplusplus
}  // extern "C"
#endif
