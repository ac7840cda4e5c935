#pragma once

// What every fuzz target shares: a prompter nobody reads and a check that stops the run.
#include "Prompter.h"

#include <cstdlib>

// Code marked so counts for no coverage: the program's paths are what the fuzzer should follow.
#define NO_COVERAGE __attribute__((no_sanitize("coverage")))

class SilentPrompter : public Prompter {
  public:
    Answer Ask(const QString&, Buttons, Icon, const QString&) override { return Answer::Ok; }
};

// A broken invariant ends the run with the input kept as a crash.
inline void Check(bool condition) {
    if (!condition)
        std::abort();
}
