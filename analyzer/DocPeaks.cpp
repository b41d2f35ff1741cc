#include "DocPeaks.h"

#include "DVDocData.h"

#include <algorithm>

ODocPeaks::ODocPeaks(ODVDocData& data, QObject* parent) : QObject(parent), m_data(data) {}

int ODocPeaks::GetTraceCount() const
{
    if (!m_data.IsOpen())
        return 0;
    return std::clamp(static_cast<int>(m_data.GetWorkingConfiguration().GetNumGateModes()), 0,
                      OChromatogram::kTraces);
}

bool ODocPeaks::ValidTrace(int trace) const
{
    return trace >= 0 && trace < GetTraceCount();
}

const std::vector<OPeak>& ODocPeaks::GetPeaks(int trace)
{
    if (ValidTrace(trace) && !m_data.HasPeakList(trace)) {
        std::string ignored; // the trace exists and the document is open: it cannot fail
        m_data.DetectPeaks(trace, ignored);
    }
    static const std::vector<OPeak> none;
    return ValidTrace(trace) ? m_data.GetPeaks(trace) : none;
}

bool ODocPeaks::HasPeaks(int trace) const
{
    return ValidTrace(trace) && m_data.HasPeakList(trace);
}

const OPeakParameters& ODocPeaks::GetParameters() const
{
    return m_data.GetPeakParameters();
}

int ODocPeaks::SetParameters(const OPeakParameters& parameters, std::string& message)
{
    if (!m_data.SetPeakParameters(parameters, message))
        return 0;
    OnChromatogramChanged();
    return 1;
}

int ODocPeaks::Commit(int trace, std::vector<OPeak> peaks, std::string& message)
{
    if (!m_data.SetPeaks(trace, std::move(peaks), message))
        return 0;
    // Indexes moved; the pick cannot be trusted to name the same peak.
    if (m_nSelectedTrace == trace)
        Select(-1, -1);
    emit peaksChanged(trace);
    return 1;
}

int ODocPeaks::AddPeak(int trace, OManualIntegration::Point a, OManualIntegration::Point b,
                       bool replace, std::string& message)
{
    if (!ValidTrace(trace)) {
        message = "There is no trace " + std::to_string(trace + 1) + ".";
        return 0;
    }
    std::vector<OPeak> peaks = GetPeaks(trace);
    const OPeakIntegrator integrator = m_data.GetPeakIntegrator(trace);
    const int ok = replace ? OManualIntegration::ReplacePeaks(peaks, integrator, a, b, message)
                           : OManualIntegration::AddPeak(peaks, integrator, a, b, message);
    if (!ok)
        return 0;
    // The new peak is integrated over the drawn span cut to the chromatogram.
    const std::vector<float>& times = m_data.GetChromatogram().times;
    const double from = std::max(std::min(a.time, b.time), static_cast<double>(times.front()));
    const double to = std::min(std::max(a.time, b.time), static_cast<double>(times.back()));
    if (!Commit(trace, std::move(peaks), message))
        return 0;
    Select(trace, PeakAt(trace, (from + to) / 2.0));
    return 1;
}

int ODocPeaks::SplitPeak(int trace, double time, std::string& message)
{
    if (!ValidTrace(trace)) {
        message = "There is no trace " + std::to_string(trace + 1) + ".";
        return 0;
    }
    std::vector<OPeak> peaks = GetPeaks(trace);
    if (!OManualIntegration::SplitPeak(peaks, m_data.GetPeakIntegrator(trace), time, message))
        return 0;
    return Commit(trace, std::move(peaks), message);
}

int ODocPeaks::DeletePeak(int trace, int index, std::string& message)
{
    if (!ValidTrace(trace)) {
        message = "There is no trace " + std::to_string(trace + 1) + ".";
        return 0;
    }
    std::vector<OPeak> peaks = GetPeaks(trace);
    if (!OManualIntegration::DeletePeak(peaks, index, message))
        return 0;
    return Commit(trace, std::move(peaks), message);
}

int ODocPeaks::PeakAt(int trace, double time)
{
    return OManualIntegration::PeakAt(GetPeaks(trace), time);
}

void ODocPeaks::Select(int trace, int index)
{
    if (!ValidTrace(trace) || index < 0 ||
        index >= static_cast<int>(m_data.GetPeaks(trace).size())) {
        trace = -1;
        index = -1;
    }
    if (trace >= 0)
        m_nCurrentTrace = trace;
    if (trace == m_nSelectedTrace && index == m_nSelectedIndex)
        return;
    m_nSelectedTrace = trace;
    m_nSelectedIndex = index;
    emit selectionChanged(trace, index);
}

void ODocPeaks::OnChromatogramChanged()
{
    Select(-1, -1);
    for (int trace = 0; trace < OChromatogram::kTraces; ++trace)
        if (m_data.HasPeakList(trace))
            emit peaksChanged(trace);
}
