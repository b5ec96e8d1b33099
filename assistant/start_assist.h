// What the exported entry points do: choose a catalogue, scan it, report the outcome.
#pragma once

#include "host/platform.h"

namespace assistant {

// Tells the user that there is nothing to configure. Returns 1.
int SetupAssistant(host::Window owner);

// Lets the user choose a catalogue, finds the entry for `fileName` and fills the host's buffers.
// Returns 1 (found), 0 (cancelled or not found), -1 (dialog failed) or -2 (cannot open).
int StartAssist(host::Window owner, char* fileName, char* abstract, char* keywords, char* title);

}  // namespace assistant
