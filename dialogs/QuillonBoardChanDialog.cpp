#include "QuillonBoardChanDialog.h"

#include "BoardChannelRules.h"
#include "ConfigFile.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

enum : int { kPmt = 1001, kIgnitor = 1003, kAdcTrigger = 1006, kApply = 1023, kOk = 1026 };

struct ChannelControls {
    int mode, interpolation, multiplier, output, zero, set;
};
constexpr ChannelControls kChannel[2] = {{1009, 1010, 1011, 1013, 1012, 1015},
                                         {1016, 1017, 1018, 1021, 1019, 1020}};

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

CQuillonBoardChanDialog::CQuillonBoardChanDialog(CParameterBacking* backing,
                                                 const CDialogOptions& options, QWidget* parent)
    : CParameterDialog(kTemplateId, backing, options, parent)
{
    OnClicked(kApply, [this] { Apply(); });
    OnClicked(kOk, [this] { Ok(); });
    for (int n = 1; n <= 2; ++n) {
        OnClicked(kChannel[n - 1].zero, [this, n] { Zero(n); });
        OnClicked(kChannel[n - 1].set, [this, n] { SetZero(n); });
    }
    FillFixedLists();
    FillModeLists();
    ShowRecords(m_board, m_channels);
    RefreshEnabling();
}

void CQuillonBoardChanDialog::UpdateControls()
{
    // The Analyzer's copy keeps Zero and Set without a function.
    const bool zeroWorks = Options().variant == DialogVariant::Monitor;
    for (const ChannelControls& c : kChannel)
        for (int id : {c.zero, c.set})
            if (auto* button = Control<QPushButton>(id))
                button->setEnabled(zeroWorks);
}

void CQuillonBoardChanDialog::SetRecords(const CBoardParameters& board,
                                         const CChannelParameters& channels)
{
    m_board = board;
    m_channels = channels;
    ShowRecords(m_board, m_channels);
}

void CQuillonBoardChanDialog::SetGateParameters(const CGateParameters& gates)
{
    m_gates = gates;
    FillModeLists();
}

void CQuillonBoardChanDialog::FillFixedLists()
{
    for (const ChannelControls& c : kChannel) {
        if (auto* interpolation = Control<QComboBox>(c.interpolation)) {
            interpolation->clear();
            interpolation->addItem(QStringLiteral("Linear"));
            interpolation->addItem(QStringLiteral("Spline"));
        }
        if (auto* multiplier = Control<QComboBox>(c.multiplier)) {
            const int selected = multiplier->currentIndex();
            multiplier->clear();
            for (int value : CBoardChannelRules::kMultipliers)
                multiplier->addItem(QString::number(value), value);
            multiplier->setCurrentIndex(selected);
        }
    }
}

void CQuillonBoardChanDialog::FillModeLists()
{
    for (const ChannelControls& c : kChannel) {
        auto* mode = Control<QComboBox>(c.mode);
        if (!mode)
            continue;
        const int selected = mode->currentIndex();
        mode->clear();
        for (int gate = 0; gate < CGateParameters::kGates; ++gate)
            mode->addItem(Q(m_gates[gate].GetModeText()), gate);
        mode->setCurrentIndex(selected);
    }
}

void CQuillonBoardChanDialog::ShowRecords(const CBoardParameters& board,
                                          const CChannelParameters& channels)
{
    m_shownBoard = board;
    m_shownChannels = channels;
    if (auto* edit = Control<QLineEdit>(kIgnitor))
        edit->setText(Q(CBoardChannelRules::IgnitorText(board.GetIgnitor())));
    if (auto* edit = Control<QLineEdit>(kPmt))
        edit->setText(QString::number(board.GetPmtVolts()));
    if (auto* edit = Control<QLineEdit>(kAdcTrigger))
        edit->setText(QString::number(board.GetAdcTriggerLevel()));
    for (int n = 0; n < 2; ++n) {
        const CGateChannelParameters& channel = channels[n];
        const ChannelControls& c = kChannel[n];
        if (auto* mode = Control<QComboBox>(c.mode))
            mode->setCurrentIndex(channel.GetGateIndex() >= 0 &&
                                          channel.GetGateIndex() < mode->count()
                                      ? channel.GetGateIndex()
                                      : -1);
        if (auto* interpolation = Control<QComboBox>(c.interpolation))
            interpolation->setCurrentIndex(channel.GetInterpolation() == 1 ? 1 : 0);
        if (auto* multiplier = Control<QComboBox>(c.multiplier))
            multiplier->setCurrentIndex(
                CBoardChannelRules::MultiplierIndex(channel.GetScalarChannel()));
        if (auto* output = Control<QLineEdit>(c.output))
            output->setText(QString::number(channel.GetChannelZero()));
    }
}

void CQuillonBoardChanDialog::Refresh()
{
    FillFixedLists();
    Request(BackingOperation::ReadGates, {}, [this](const CBackingResult& result) {
        if (result.nResult)
            SetGateParameters(result.records.gates);
    });
    Request(BackingOperation::ReadBoardAndChannels, {}, [this](const CBackingResult& result) {
        if (result.nResult) {
            SetShowingFallback(false);
            ClearNote();
            SetRecords(result.records.board, result.records.channels);
            return;
        }
        const CConfigFile* fallback = Options().pFallback;
        if (!fallback) {
            SetNote(Q(FailureText(BackingOperation::ReadBoardAndChannels, result)),
                    NoteKind::Failure);
            return;
        }
        // Shown, not taken: the working copies stay what the board last held,
        // and nothing goes to the board until the operator applies.
        SetShowingFallback(true);
        SetGateParameters(fallback->GetGateParameters());
        ShowRecords(fallback->GetBoardParameters(), fallback->GetChannelParameters());
        SetNote(FallbackNote(BackingOperation::ReadBoardAndChannels, result), NoteKind::Fallback);
    });
}

void CQuillonBoardChanDialog::RefreshGates()
{
    if (!isVisible())
        return;
    Request(BackingOperation::ReadGates, {}, [this](const CBackingResult& result) {
        if (result.nResult)
            SetGateParameters(result.records.gates);
    });
}

int CQuillonBoardChanDialog::ReadBoardFields(CBoardParameters& board)
{
    const auto text = [this](int id) {
        auto* edit = Control<QLineEdit>(id);
        return edit ? edit->text().toStdString() : std::string();
    };
    std::string message;
    unsigned pmt = 0, adc = 0;
    double ignitor = 0.0;
    if (!CBoardChannelRules::ParseUnsigned(text(kPmt), 0, CBoardChannelRules::kMaxPmtVolts, pmt,
                                           message) ||
        !CBoardChannelRules::ParseIgnitor(text(kIgnitor), ignitor, message) ||
        !CBoardChannelRules::ParseUnsigned(text(kAdcTrigger), 0,
                                           CBoardChannelRules::kMaxAdcTriggerLevel, adc, message)) {
        ShowMessage(message, MessageIcon::Warning);
        return 0;
    }
    board = CBoardChannelRules::BoardFromFields(m_shownBoard, ignitor, pmt, adc);
    return 1;
}

int CQuillonBoardChanDialog::ReadChannelFields(int channel, CGateChannelParameters& record)
{
    const ChannelControls& c = kChannel[channel];
    record = m_shownChannels[channel];
    std::string message;
    int zero = 0;
    auto* output = Control<QLineEdit>(c.output);
    if (!CBoardChannelRules::ParseInteger(output ? output->text().toStdString() : std::string(),
                                          zero, message)) {
        ShowMessage(message, MessageIcon::Warning);
        return 0;
    }
    if (auto* mode = Control<QComboBox>(c.mode); mode && mode->currentIndex() >= 0)
        record.SetGateIndex(mode->currentIndex());
    if (auto* interpolation = Control<QComboBox>(c.interpolation))
        record.SetInterpolation(
            CBoardChannelRules::InterpolationValue(interpolation->currentText().toStdString()));
    record.SetChannelZero(zero);
    auto* multiplier = Control<QComboBox>(c.multiplier);
    record.SetScalarChannel(
        multiplier && multiplier->currentIndex() >= 0 ? multiplier->currentData().toInt() : 0);
    return 1;
}

void CQuillonBoardChanDialog::Send(bool bClose)
{
    CBackingRecords records;
    if (!ReadBoardFields(records.board))
        return;
    for (int n = 0; n < 2; ++n)
        if (!ReadChannelFields(n, records.channels[n]))
            return;
    Request(BackingOperation::WriteBoardAndChannels, records,
            [this, records, bClose](const CBackingResult& result) {
                if (!result.nResult) {
                    const std::string text =
                        FailureText(BackingOperation::WriteBoardAndChannels, result);
                    SetNote(Q(text), NoteKind::Failure);
                    ShowMessage(text);
                    return;
                }
                m_board = records.board;
                m_channels = records.channels;
                m_shownBoard = records.board;
                m_shownChannels = records.channels;
                SetShowingFallback(false);
                ClearNote();
                emit applied(m_board, m_channels);
                if (bClose)
                    accept();
            });
}

void CQuillonBoardChanDialog::Apply()
{
    Send(false);
}

void CQuillonBoardChanDialog::Ok()
{
    Send(true);
}

void CQuillonBoardChanDialog::Zero(int channel)
{
    if (Options().variant != DialogVariant::Monitor || (channel != 1 && channel != 2))
        return;
    CBackingRecords records;
    records.channels = m_channels;
    records.nChannel = channel;
    Request(BackingOperation::ReadChannelZero, records,
            [this, channel](const CBackingResult& result) {
                if (!result.nResult) {
                    ShowMessage(FailureText(BackingOperation::ReadChannelZero, result, channel));
                    return;
                }
                const int zero = result.records.channels[channel - 1].GetChannelZero();
                m_channels[channel - 1].SetChannelZero(zero);
                if (auto* output = Control<QLineEdit>(kChannel[channel - 1].output))
                    output->setText(QString::number(zero));
            });
}

void CQuillonBoardChanDialog::SetZero(int channel)
{
    if (Options().variant != DialogVariant::Monitor || (channel != 1 && channel != 2))
        return;
    CBackingRecords records;
    records.channels = m_channels;
    for (int n = 0; n < 2; ++n)
        if (!ReadChannelFields(n, records.channels[n]))
            return;
    records.nChannel = channel;
    Request(BackingOperation::WriteChannelZero, records,
            [this, records, channel](const CBackingResult& result) {
                if (!result.nResult) {
                    ShowMessage(FailureText(BackingOperation::WriteChannelZero, result, channel));
                    return;
                }
                m_channels = records.channels;
            });
}
