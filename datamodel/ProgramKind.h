#pragma once
// Which program runs: the Monitor and the Analyzer share one build of the data
// model and differ only in folder paths and INI settings.

enum class ProgramKind { Monitor, Analyzer };

class CProgramKind {
public:
    static ProgramKind Get();
    // Programs set this once at start, before reading any settings.
    static void Set(ProgramKind kind);
};
