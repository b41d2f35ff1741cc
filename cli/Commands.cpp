#include "Commands.h"

#include "Inspector.h"
#include "MessageService.h"
#include "SampleConfig.h"
#include "StatusCommand.h"
#include "RecordCommand.h"

namespace cli {

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

void Usage(std::ostream& err)
{
    err << "usage: tarvolin inspect FILE          print a Tarvolin file readably\n"
           "       tarvolin sample-config FILE    write a sample board configuration (.cnfg)\n"
           "       tarvolin status [--port N] [--baud B] [--watch [--count P] [--seconds S]]\n"
           "                                      read an instrument's status and set-up;\n"
           "                                      --watch follows its live pulses\n"
           "       tarvolin record [--port N] [--seconds S] [--dir D] [--prefix P] [--progress]\n"
           "                                      record an instrument's pulses into the next\n"
           "                                      free data file (P001.KLYN, P002.KLYN, ...)\n"
           "       tarvolin repair FILE [--in-place]  give a recording that did not finish its\n"
           "                                      pulse count (into FILE-repaired.KLYN)\n";
}

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

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    if (args.empty() || args[0] == "-h" || args[0] == "--help") {
        Usage(args.empty() ? err : out);
        return args.empty() ? kUsage : kOk;
    }
    CStreamSink sink(err);
    IMessageSink* previous = CMessageService::SetSink(&sink);
    int result = kUsage;
    std::string error;
    const std::string& command = args[0];
    if ((command == "inspect" || command == "sample-config") && args.size() != 2) {
        Usage(err);
    } else if (command == "inspect") {
        result = InspectFile(args[1], out, error) ? kOk : kFailed;
    } else if (command == "status") {
        StatusOptions options;
        if (!ParseStatusOptions({args.begin() + 1, args.end()}, options, error)) {
            err << "tarvolin: " << error << "\n";
            Usage(err);
        } else {
            result = RunStatus(options, out, error) ? kOk : kFailed;
        }
    } else if (command == "record") {
        RecordOptions options;
        if (!ParseRecordOptions({args.begin() + 1, args.end()}, options, error)) {
            err << "tarvolin: " << error << "\n";
            Usage(err);
        } else {
            result = RunRecord(options, out, error) ? kOk : kFailed;
        }
    } else if (command == "repair") {
        const bool inPlace = args.size() == 3 && args[2] == "--in-place";
        if (args.size() == 2 || inPlace)
            result = RunRepair(args[1], inPlace, out, error) ? kOk : kFailed;
        else
            Usage(err);
    } else if (command == "sample-config") {
        result = WriteSampleConfig(args[1], error) ? kOk : kFailed;
        if (result == kOk)
            out << "wrote " << args[1] << "\n";
    } else {
        err << "tarvolin: unknown command \"" << command << "\"\n";
        Usage(err);
    }
    if (result == kFailed)
        err << "tarvolin: " << error << "\n";
    CMessageService::SetSink(previous);
    return result;
}

} // namespace cli
