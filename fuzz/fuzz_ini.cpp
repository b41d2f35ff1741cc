// Feeds arbitrary bytes to the INI reader: line splitting at block and line
// limits, comments, key lookup and number conversion.

#include "GenIniFileReader.h"
#include "MessageService.h"
#include "QuillonIniConfig.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

class CSilentSink : public IMessageSink {
public:
    int Show(const std::string&, const std::string&, MessageIcon, MessageButtons) override
    {
        return IDOK;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSilentSink sink;
    static const bool installed = (CMessageService::SetSink(&sink), true);
    (void)installed;

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CGenIniFileReader reader;
    reader.LoadFromText(text);

    std::string value;
    int number = 0;
    double real = 0.0;
    for (const char* key : {"EnableDebugLog", "BaudRate", "ZoomOutShortCutKey", "IsOnline"})
        reader.GetIntValue(key, number);
    reader.GetDoubleValue("FrequencyCorrectionfactor", real);
    for (const CNodeElement& node : reader.GetNodes()) {
        reader.GetValue(node.GetKey(), value);
        (void)CGenIniFileReader::ToInt(node.GetValue());
        (void)CGenIniFileReader::ToDouble(node.GetValue());
        (void)CQuillonIniConfig::GetBitMaskValue(node.GetValue());
    }
    return 0;
}
