#pragma once
// The records of a document held in memory (the Analyzer's open data file):
// reads copy them out, writes copy them in. Requests complete at once, on
// the next turn of the event loop, so the dialogs treat a document exactly
// as they treat the board.

#include "ParameterBacking.h"

class CDocumentBacking : public CParameterBacking {
    Q_OBJECT
public:
    explicit CDocumentBacking(QObject* parent = nullptr) : CParameterBacking(parent) {}

    const CBackingRecords& GetRecords() const { return m_records; }
    void SetRecords(const CBackingRecords& records) { m_records = records; }

    int Start(const CBackingRequest& request, Completion done) override;
    std::string BusyText(BackingOperation operation) const override;
    bool IsInstrument() const override { return false; }

signals:
    // After a write changed the records.
    void recordsChanged(BackingOperation operation);

protected:
    // Carries the request out on the held records.
    CBackingResult Perform(const CBackingRequest& request);
    // Delivers result for id on the next turn of the event loop.
    void CompleteLater(int id, const CBackingResult& result);

private:
    CBackingRecords m_records;
};
