#include "LauncherMessages.h"

int CLauncherMessages::Show(const std::string& text, MessageIcon icon, MessageButtons buttons)
{
    return CMessageService::Show(text, kCaption, icon, buttons);
}

int CLauncherMessages::ShowFailure(CInstrumentConnections& connections, const std::string& msg,
                                   const std::string& failureText, MessageIcon failureIcon)
{
    switch (connections.GetLastProblem()) {
    case ConnectionProblem::Refused:
        Show(msg, MessageIcon::Warning);
        return 0;
    case ConnectionProblem::Damaged:
        return OfferRepair(connections, msg);
    case ConnectionProblem::None:
    case ConnectionProblem::NotFound:
    case ConnectionProblem::Failed:
        break;
    }
    Show(failureText + (msg.empty() ? std::string() : "\n\n" + msg), failureIcon);
    return 0;
}

int CLauncherMessages::OfferRepair(CInstrumentConnections& connections, const std::string& msg)
{
    const int answer =
        Show(msg + "\n\nKeep a copy of the damaged file and go on with the instruments "
                   "it still holds?",
             MessageIcon::Warning, MessageButtons::YesNoDefaultNo);
    if (answer != IDYES)
        return 0;
    CGeneralPCSettings kept;
    std::string copy, error;
    if (!connections.Repair(kept, copy, error)) {
        Show(error, MessageIcon::Error);
        return 0;
    }
    const int count = kept.GetCount();
    Show("The damaged list is kept as \"" + copy + "\". The instrument list now holds " +
             std::to_string(count) + (count == 1 ? " instrument." : " instruments."),
         MessageIcon::Information);
    return 1;
}
