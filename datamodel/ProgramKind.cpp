#include "ProgramKind.h"

#include <atomic>

namespace {
std::atomic<ProgramKind> g_kind{ProgramKind::Monitor};
}

ProgramKind CProgramKind::Get() { return g_kind.load(); }

void CProgramKind::Set(ProgramKind kind) { g_kind.store(kind); }
