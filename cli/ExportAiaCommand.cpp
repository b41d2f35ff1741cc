#include "ExportAiaCommand.h"

#include "AiaExportModel.h"
#include "DVDocData.h"
#include "OpenRecording.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

namespace cli {

namespace {

// The rate and the unit have options of their own.
bool HasOption(const std::string& key)
{
    return strcasecmp(key.c_str(), "ActualSplInterval") == 0 ||
           strcasecmp(key.c_str(), "RetentionUnit") == 0;
}

bool Split(const std::string& assignment, std::string& key, std::string& value)
{
    const size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0)
        return false;
    key = assignment.substr(0, equals);
    value = assignment.substr(equals + 1);
    return true;
}

int RateIndex(int hz)
{
    for (int i = 0; i < 4; ++i)
        if (OAiaExportModel::RateOfIndex(i) == hz)
            return i;
    return -1;
}

} // namespace

std::vector<std::string> CExportAiaCommand::FieldNames()
{
    std::vector<std::string> names;
    for (const OAiaExportModel::Field& field : OAiaExportModel::FieldTable())
        if (!HasOption(field.key))
            names.emplace_back(field.key);
    return names;
}

bool CExportAiaCommand::CheckField(const std::string& assignment, std::string& why)
{
    std::string key, value;
    if (!Split(assignment, key, value)) {
        why = "\"" + assignment + "\" is not NAME=VALUE";
        return false;
    }
    if (strcasecmp(key.c_str(), "ActualSplInterval") == 0) {
        why = "the sampling rate is set with --rate";
        return false;
    }
    if (strcasecmp(key.c_str(), "RetentionUnit") == 0) {
        why = "the retention unit is set with --unit";
        return false;
    }
    OAiaExportModel scratch;
    if (scratch.SetField(key, value, why))
        return true;
    const auto names = FieldNames();
    const bool known = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return strcasecmp(name.c_str(), key.c_str()) == 0;
    });
    if (!known) {
        why = "there is no export field \"" + key + "\"; the fields are";
        for (size_t i = 0; i < names.size(); ++i)
            why += (i ? ", " : " ") + names[i];
    } else if (!why.empty() && why.back() == '.') {
        why.pop_back();
    }
    return false;
}

void CExportAiaCommand::DeclareOptions(COptionTable& options)
{
    DeclareRecording(options, m_strPath);
    options.Integer("--gate", m_nGate, 1, 5, "N", "the gate whose trace is exported")
        .What("the gate number")
        .Required();
    options.Integer("--rate", m_nRate, 0, 1000, "5|10|20|50", "sampling rate of the file, in Hz")
        .OneOf({5, 10, 20, 50})
        .What("the sampling rate");
    options.Text("--unit", m_strUnit, "sec|min", "retention unit of the file's times")
        .What("the retention unit")
        .Rule([](const std::string& unit, std::string& why) {
            if (unit == "sec" || unit == "min")
                return true;
            why = "\"" + unit + "\" is not sec or min";
            return false;
        });
    DeclareSetUpFile(options, m_strCnfg);
    options
        .TextList("--field", m_fields, "NAME=VALUE",
                  "a descriptive field of the file by its profile name: ExpTitle, "
                  "DatasetOrigin, DatasetOwner, Operator, CompMethodName, CompMethodID, "
                  "SampleID, SampleName, InjectionVolume, RawDataTableName, SampleComment, "
                  "Units (nA, uV), Amount, SampleType (standard, blank, control, unknown, other)")
        .What("the field")
        .Rule(CheckField);
    options.Positional("OUT.cdf", m_strOut, "the AIA file to write (replaced whole)")
        .What("the AIA file to write");
}

int CExportAiaCommand::Run(std::ostream& out, std::string& error)
{
    ODVDocData document;
    if (!OpenRecording(document, m_strPath, m_strCnfg, error))
        return 0;
    const int gate = m_nGate - 1;
    OAiaExportModel model;
    const OAiaMapProfile profile; // the defaults, not what the dialog last kept
    std::string message;
    model.Init(OAiaExportModel::InputsFrom(document, gate), profile, message);
    if (!model.SetSamplingRate(RateIndex(m_nRate), message)) {
        error = message;
        return 0;
    }
    model.SetRetentionUnit(m_strUnit == "min" ? 1 : 0);
    for (const std::string& assignment : m_fields) {
        std::string key, value;
        if (!Split(assignment, key, value) || !model.SetField(key, value, message)) {
            error = "--field " + assignment + ": " + message;
            return 0;
        }
    }
    if (!model.Export(m_strOut, document.GetChromatogram(), gate, nullptr, message)) {
        error = "gate " + std::to_string(m_nGate) + " of " + m_strPath +
                " could not be exported into " + m_strOut + ": " + message;
        return 0;
    }
    const OAiaExportFields& f = model.Fields();
    char line[256];
    std::snprintf(line, sizeof line,
                  "%d points at %d Hz, delay %.4g %s, run time %.4g %s (gate mode %s)",
                  model.GetExportedCount(), m_nRate, static_cast<double>(f.delayTime),
                  m_strUnit.c_str(), static_cast<double>(f.actualRunTime), m_strUnit.c_str(),
                  f.detectorMode.empty() ? "none" : f.detectorMode.c_str());
    out << "Exported gate " << m_nGate << " (" << TraceName(document, gate) << ") of " << m_strPath
        << " into " << m_strOut << "\n"
        << "  " << line << "\n";
    if (!model.GetInjectionNote().empty())
        out << "Note: " << model.GetInjectionNote() << "\n";
    return 1;
}

} // namespace cli
