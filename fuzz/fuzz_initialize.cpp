// The start of every fuzz target's run, linked into each of them: message boxes are answered
// silently for the whole run.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static vantor_fuzz::SilentMessageBoxes service;
    static vantor::ScopedMessageBoxService scope(service);
    return 0;
}
