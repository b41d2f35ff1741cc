#include "Commands.h"

#include "CommandSet.h"
#include "InspectCommand.h"
#include "InstrumentsCommand.h"
#include "MessageService.h"
#include "RecordCommand.h"
#include "RepairCommand.h"
#include "SampleConfigCommand.h"
#include "StatusCommand.h"

namespace cli {

namespace {

// Library messages (an over-long INI line, say) go to standard error as one
// line each instead of waiting for a click that no one can give.
class CStreamSink : public IMessageSink {
public:
    explicit CStreamSink(std::ostream& err) : m_err(err) {}
    int Show(const std::string& text, const std::string& caption, MessageIcon,
             MessageButtons buttons) override
    {
        m_err << (caption.empty() ? "" : caption + " ") << text << "\n";
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? IDYES
                                                                                          : IDOK;
    }

private:
    std::ostream& m_err;
};

} // namespace

const CCommandSet& Commands()
{
    static const CCommandSet commands = [] {
        CCommandSet set("tarvolin");
        set.Add("inspect", "print any Tarvolin file readably",
                [] { return std::make_unique<CInspectCommand>(); });
        set.Add("sample-config", "write a sample board configuration (.cnfg)",
                [] { return std::make_unique<CSampleConfigCommand>(); });
        set.Add("status",
                "read an instrument's status word, revisions and set-up; --watch "
                "follows its live pulses",
                [] { return std::make_unique<CStatusCommand>(); });
        set.Add("record",
                "record an instrument's pulses into the next free data file (P001.KLYN, "
                "P002.KLYN, ...)",
                [] { return std::make_unique<CRecordCommand>(); });
        set.Add("repair",
                "give a recording that did not finish the count of the pulses it holds (into "
                "FILE-repaired.KLYN)",
                [] { return std::make_unique<CRepairCommand>(); });
        set.Add("instruments", "list, add, modify and remove the instruments the Launcher shows",
                [] { return std::make_unique<CInstrumentsCommand>(); });
        return set;
    }();
    return commands;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    CStreamSink sink(err);
    IMessageSink* previous = CMessageService::SetSink(&sink);
    const int result = Commands().Run(args, out, err);
    CMessageService::SetSink(previous);
    return result;
}

} // namespace cli
