#pragma once
// The board/channel dialog (form 159 "Board / Channel Parameters"): the
// board's PMT voltage, ignitor current and trigger level, and per channel its
// mode (one of the five gates), interpolation, multiplier and output zero.
//
//   1001 PMT voltage   1003 ignitor current (A)   1006 ADC trigger level
//   channel 1: 1009 mode, 1010 interpolation, 1011 multiplier, 1013 output,
//              1012 Zero, 1015 Set
//   channel 2: 1016 mode, 1017 interpolation, 1018 multiplier, 1021 output,
//              1019 Zero, 1020 Set
//   1023 Apply   1026 OK   2 Cancel
//
// When the board cannot be read the fields show the configuration file's
// records with a note saying so; nothing is sent until the operator applies.

#include "BoardParameters.h"
#include "ChannelParameters.h"
#include "GateParameters.h"
#include "ParameterDialog.h"

class CQuillonBoardChanDialog : public CParameterDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 159;

    CQuillonBoardChanDialog(CParameterBacking* backing, const CDialogOptions& options,
                            QWidget* parent = nullptr);

    // The working copies: as last read or applied.
    const CBoardParameters& GetBoardParameters() const { return m_board; }
    const CChannelParameters& GetChannelParameters() const { return m_channels; }
    const CGateParameters& GetGateParameters() const { return m_gates; }
    void SetRecords(const CBoardParameters& board, const CChannelParameters& channels);
    // The gates only name the mode lists' entries.
    void SetGateParameters(const CGateParameters& gates);

    // What showing the dialog does: read the gates and the board and
    // channel records and show them.
    void Refresh();
    // After the gates changed on the board: read them again and rename the modes.
    void RefreshGates();
    // The buttons. Apply and OK send the fields; Zero reads channel n's zero
    // into its output field; Set sends channel n's fields as its zero.
    void Apply();
    void Ok();
    void Zero(int channel);
    void SetZero(int channel);

signals:
    // The board took the records of an Apply or OK.
    void applied(const CBoardParameters& board, const CChannelParameters& channels);

protected:
    void UpdateControls() override;

private:
    void FillModeLists();
    void FillFixedLists();
    void ShowRecords(const CBoardParameters& board, const CChannelParameters& channels);
    // The fields as records: 1, or 0 after showing the first failed check's message.
    int ReadBoardFields(CBoardParameters& board);
    int ReadChannelFields(int channel, CGateChannelParameters& record);
    void Send(bool bClose);

    CBoardParameters m_board;
    CChannelParameters m_channels;
    CGateParameters m_gates;
    // What the fields were filled from (the working copies, or the fallback).
    CBoardParameters m_shownBoard;
    CChannelParameters m_shownChannels;
};
