#pragma once
// The Launcher's messages, all shown through the message service. The fixed
// texts are the Launcher's own and are used exactly as they stand; a failure
// adds its reason after them.

#include "InstrumentConnections.h"
#include "MessageService.h"

#include <string>

class CLauncherMessages {
public:
    static constexpr const char* kCaption = "Tarvolin Launcher";
    static constexpr const char* kConnectionFailed =
        "connection failedTarvolin instrument connection failed.";
    static constexpr const char* kCreated = "Tarvolin instrument has been created";
    static constexpr const char* kModified = "Tarvolin instrument has been modified.";
    static constexpr const char* kNoSelection = "No selection is made!";
    static constexpr const char* kDeleteQuestion = "Are you sure to delete this instrument?";
    static constexpr const char* kCannotDelete = "Connection can not be deleted!";

    static int Show(const std::string& text, MessageIcon icon,
                    MessageButtons buttons = MessageButtons::Ok);

    // Says why an operation on the list failed: a refused name or port with
    // its reason; a damaged list with the offer to keep a copy of it and go
    // on (1 when the list was repaired, so the caller may try again); any
    // other failure as failureText, then the reason.
    static int ShowFailure(CInstrumentConnections& connections, const std::string& msg,
                           const std::string& failureText, MessageIcon failureIcon);
    // A damaged list: asks whether to keep a copy of it and go on with the
    // instruments it still holds. 1 when that was done.
    static int OfferRepair(CInstrumentConnections& connections, const std::string& msg);
};
