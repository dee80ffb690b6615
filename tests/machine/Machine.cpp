#include "machine/MachineState.h"

Machine::Machine() : m_state(std::make_unique<State>()) {
    machine_detail::InitRegistry(m_state->registry);
}

Machine::~Machine() = default;

DWORD Machine::GetLastError() {
    return m_state->lastError;
}

void Machine::SetLastError(DWORD error) {
    m_state->lastError = error;
}
