#include "app/state.h"

#include <memory>

namespace {
std::unique_ptr<ProgramState> gState;
}

ProgramState& State() {
    if (!gState) throw std::logic_error("program state used before CreateState()");
    return *gState;
}

void CreateState() { gState = std::make_unique<ProgramState>(); }

void ReleaseState() { gState.reset(); }
