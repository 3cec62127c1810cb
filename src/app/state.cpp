#include "app/state.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
std::unique_ptr<ProgramState> gState;
}

ProgramState& State() {
    // A use outside the state's life is a programming error that would otherwise corrupt
    // memory quietly; stop at once with a message instead.
    if (!gState) {
        std::fputs("sorvane: program state used outside its life\n", stderr);
        std::abort();
    }
    return *gState;
}

void CreateState() { gState = std::make_unique<ProgramState>(); }

void ReleaseState() { gState.reset(); }

bool HasState() { return gState != nullptr; }
