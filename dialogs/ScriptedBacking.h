#pragma once
// A backing whose answers are scripted, for tests and demonstrations: it
// holds records like a document, logs every request, and per operation can
// fail with a message, answer after a delay, or hold its answer until told.
// By default it poses as an instrument, so the dialogs speak of the board.

#include "DocumentBacking.h"

#include <vector>

class CScriptedBacking : public CDocumentBacking {
    Q_OBJECT
public:
    struct CScript {
        bool bFail = false;
        std::string strMessage; // the failure's message
        int nFailedStep = 0;    // ApplySetUp: the step that fails (1..4)
        bool bHold = false;     // answer only on ReleaseHeld()
        int nDelayMs = 0;       // answer this much later
    };
    struct CLogEntry {
        int id;
        BackingOperation operation;
        CBackingRecords records;
    };

    explicit CScriptedBacking(QObject* parent = nullptr) : CDocumentBacking(parent) {}

    void SetScript(BackingOperation operation, const CScript& script);
    void ClearScripts() { m_scripts.clear(); }
    void SetInstrument(bool bInstrument) { m_bInstrument = bInstrument; }

    // Answers the held requests, in order; returns how many.
    int ReleaseHeld();
    int GetHeldCount() const { return static_cast<int>(m_held.size()); }

    const std::vector<CLogEntry>& Log() const { return m_log; }
    void ClearLog() { m_log.clear(); }
    // How many requests of that operation were started.
    int CountOf(BackingOperation operation) const;

    int Start(const CBackingRequest& request, Completion done) override;
    std::string BusyText(BackingOperation operation) const override;
    bool IsInstrument() const override { return m_bInstrument; }

private:
    CBackingResult Answer(const CBackingRequest& request);

    std::map<BackingOperation, CScript> m_scripts;
    std::vector<std::pair<int, CBackingRequest>> m_held;
    std::vector<CLogEntry> m_log;
    bool m_bInstrument = true;
};
