#include "AiaPeakSection.h"

#include <netcdf.h>

#include <cmath>

namespace {

int Check(int status, const char* what, std::string& message)
{
    if (status == NC_NOERR)
        return 1;
    message = std::string("cannot write ") + what + ": " + nc_strerror(status);
    return 0;
}

} // namespace

OAiaPeakSection::OAiaPeakSection(std::vector<OPeak> peaks, const std::string& retentionUnit,
                                 std::string comments)
    : m_peaks(std::move(peaks)), m_dTimeScale(retentionUnit == "min" ? 1.0 / 60.0 : 1.0),
      m_strComments(std::move(comments))
{
}

const std::vector<const char*>& OAiaPeakSection::FloatVariables()
{
    static const std::vector<const char*> names{
        "peak_retention_time", "peak_start_time",     "peak_end_time",
        "peak_width",          "peak_area",           "peak_area_percent",
        "peak_height",         "baseline_start_time", "baseline_start_value",
        "baseline_stop_time",  "baseline_stop_value",
    };
    return names;
}

std::string OAiaPeakSection::Category() const
{
    return m_peaks.empty() ? std::string() : "C2";
}

std::vector<float> OAiaPeakSection::Column(size_t variable) const
{
    std::vector<float> column;
    column.reserve(m_peaks.size());
    const double s = m_dTimeScale;
    for (const OPeak& p : m_peaks) {
        const double values[] = {
            p.retentionTime * s,
            p.startTime * s,
            p.endTime * s,
            p.width * s,
            p.area,
            p.areaPercent,
            p.height,
            p.baselineStartTime * s,
            p.baselineStartValue,
            p.baselineEndTime * s,
            p.baselineEndValue,
        };
        column.push_back(static_cast<float>(values[variable]));
    }
    return column;
}

int OAiaPeakSection::Define(int ncid, std::string& message)
{
    if (m_peaks.empty())
        return 1;
    for (size_t v = 0; v < FloatVariables().size(); ++v) {
        const std::vector<float> column = Column(v);
        for (size_t k = 0; k < column.size(); ++k)
            if (!std::isfinite(column[k])) {
                message = std::string("cannot write ") + FloatVariables()[v] + ": peak " +
                          std::to_string(k + 1) + " holds no number there";
                return 0;
            }
    }
    int peakDim = -1;
    if (!Check(nc_def_dim(ncid, "peak_number", m_peaks.size(), &peakDim), "peak_number", message))
        return 0;
    int nameDim = -1;
    if (nc_inq_dimid(ncid, "_32_byte_string", &nameDim) != NC_NOERR &&
        !Check(nc_def_dim(ncid, "_32_byte_string", kNameLength, &nameDim), "_32_byte_string",
               message))
        return 0;
    m_floatIds.assign(FloatVariables().size(), -1);
    for (size_t v = 0; v < FloatVariables().size(); ++v)
        if (!Check(nc_def_var(ncid, FloatVariables()[v], NC_FLOAT, 1, &peakDim, &m_floatIds[v]),
                   FloatVariables()[v], message))
            return 0;
    const int nameDims[] = {peakDim, nameDim};
    if (!Check(nc_def_var(ncid, "peak_name", NC_CHAR, 2, nameDims, &m_nNameId), "peak_name",
               message) ||
        !Check(nc_def_var(ncid, "manually_reintegrated_peaks", NC_SHORT, 1, &peakDim, &m_nManualId),
               "manually_reintegrated_peaks", message))
        return 0;
    if (!m_strComments.empty() &&
        !Check(nc_put_att_text(ncid, NC_GLOBAL, "peak_processing_results_comments",
                               m_strComments.size(), m_strComments.data()),
               "peak_processing_results_comments", message))
        return 0;
    return 1;
}

int OAiaPeakSection::Put(int ncid, std::string& message)
{
    if (m_peaks.empty())
        return 1;
    for (size_t v = 0; v < FloatVariables().size(); ++v) {
        const std::vector<float> column = Column(v);
        if (!Check(nc_put_var_float(ncid, m_floatIds[v], column.data()), FloatVariables()[v],
                   message))
            return 0;
    }
    // Written in full: the file is made without fill values.
    const std::vector<char> names(m_peaks.size() * kNameLength, '\0');
    std::vector<short> manual;
    for (const OPeak& p : m_peaks)
        manual.push_back(p.manual ? 1 : 0);
    return Check(nc_put_var_text(ncid, m_nNameId, names.data()), "peak_name", message) &&
           Check(nc_put_var_short(ncid, m_nManualId, manual.data()), "manually_reintegrated_peaks",
                 message);
}
