#pragma once
// OAiaPeakSection: a trace's peak table in an AIA file - category "C2" of the
// chromatography template. With peaks it adds:
//
//   dimensions  peak_number = <peaks>, _32_byte_string = 32
//   float  peak_retention_time(peak_number)    times in the file's retention
//   float  peak_start_time(peak_number)        unit (seconds or minutes, as
//   float  peak_end_time(peak_number)          the raw data's axis)
//   float  peak_width(peak_number)             at half height
//   float  peak_area(peak_number)              detector unit x seconds
//   float  peak_area_percent(peak_number)
//   float  peak_height(peak_number)            detector unit
//   float  baseline_start_time(peak_number)
//   float  baseline_start_value(peak_number)
//   float  baseline_stop_time(peak_number)
//   float  baseline_stop_value(peak_number)
//   char   peak_name(peak_number, _32_byte_string)   all empty (zero bytes)
//   short  manually_reintegrated_peaks(peak_number)  1 for a peak set by hand
//
// and, when comments are given, the global text attribute
// peak_processing_results_comments. Without peaks the section has an empty
// category: the writer then leaves it out and the file stays "C1", with no
// peak dimension of length 0.

#include "AiaWriter.h"
#include "Peak.h"

#include <string>
#include <vector>

class OAiaPeakSection : public OAiaWriter::ISection {
public:
    static constexpr size_t kNameLength = 32;

    // retentionUnit: "sec" or "min", the export's.
    OAiaPeakSection(std::vector<OPeak> peaks, const std::string& retentionUnit,
                    std::string comments = std::string());

    std::string Category() const override;
    int Define(int ncid, std::string& message) override;
    int Put(int ncid, std::string& message) override;

    // The float variables in the order they are defined.
    static const std::vector<const char*>& FloatVariables();

private:
    std::vector<float> Column(size_t variable) const;

    std::vector<OPeak> m_peaks;
    double m_dTimeScale = 1.0; // seconds to the retention unit
    std::string m_strComments;
    std::vector<int> m_floatIds;
    int m_nNameId = -1;
    int m_nManualId = -1;
};
