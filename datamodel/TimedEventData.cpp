#include "TimedEventData.h"

const std::array<COptions<EventCode>, 8> CTimedEventData::m_lstEventCodeOptions = {{
    {EC_INVALID, "Invalid"},
    {EC_GATE_SELECTION, "Gate Selection"},
    {EC_RECORD, "Record"},
    {EC_IGNITOR_CURRENT, "Ignitor Current"},
    {EC_NA, "N/A"},
    {EC_AUTOZERO, "Autozero"},
    {EC_RESET_TO_READY, "Reset to Ready"},
    {EC_SCALAR, "Scalar"},
}};

std::string CTimedEventData::ToString(EventCode code)
{
    return OptionText<EventCode>(m_lstEventCodeOptions, code);
}

EventCode CTimedEventData::ToEventCode(const std::string& text)
{
    return OptionValue<EventCode>(m_lstEventCodeOptions, text, EC_INVALID);
}
