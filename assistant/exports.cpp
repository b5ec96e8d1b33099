// The functions the host calls, by these names. Nothing else of the module is visible outside it.
#include "assistant/assistant.h"
#include "assistant/start_assist.h"

extern "C" ASSIST_API int ASSIST_CALL _SetupAssistant(void* owner) {
  return assistant::SetupAssistant(owner);
}

extern "C" ASSIST_API int ASSIST_CALL _StartAssist(void* owner, char* fileName, char* abstract,
                                                   char* keywords, char* title) {
  return assistant::StartAssist(owner, fileName, abstract, keywords, title);
}
