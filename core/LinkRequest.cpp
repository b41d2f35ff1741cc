#include "LinkRequest.h"

std::string CLinkResult::GetReason() const
{
    if (!fault.IsFault())
        return {};
    return strStep.empty() ? fault.GetText() : strStep + ": " + fault.GetText();
}
