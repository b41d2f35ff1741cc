#pragma once
// OAiaValues: the thirty values an AIA export hands to the writer, in the
// order the export has always passed them. Two of them carry more than a
// number: a time stamp may be unknown (a recording whose clock could not be
// read), and the resampled trace is a block with the count of values the
// resampling actually produced.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct OAiaValues {
    std::string path;                          //  1 the ".cdf" file to write
    std::string datasetOrigin;                 //  2
    std::string datasetOwner;                  //  3
    std::optional<int64_t> datasetTimeStamp;   //  4 now, seconds since 1970-01-01 UTC
    std::optional<int64_t> injectionTimeStamp; //  5 the recording's start; none when unknown
    std::string experimentTitle;               //  6
    std::string operatorName;                  //  7
    std::string separationExperimentType = "gas chromatography"; // 8
    std::string gcMethodName;                                    //  9
    std::string acquisitionMethod;                               // 10
    std::string sourceModule = "gatemode.cpp";                   // 11 (not written to the file)
    std::string comments;                                        // 12
    std::string sampleId;                                        // 13
    std::string sampleName;                                      // 14
    std::string sampleType = "unknown";                          // 15
    std::string injectionVolume = "   0.000";                    // 16 "%8.3f"
    std::string amount = "   0.000";                             // 17 "%8.3f"
    std::string detectorMode;                                    // 18 the gate's mode text
    std::string gateParameters;                 // 19 "<1.0,2.0><-><0.5><3.0,4.0><sqrt OFF>"
    std::string detectorMethod;                 // 20 the recording's path
    std::string detectorName = "Corvanth KLYN"; // 21
    float maximumValue = 0.0f;                  // 22 highest raw sample
    float minimumValue = 0.0f;                  // 23 lowest raw sample
    std::string units = "nA";                   // 24 "nA" or "uV"
    std::string rawDataFileName;                // 25
    std::string retentionUnit = "sec";          // 26 "sec" or "min"
    float samplingInterval = 0.0f;              // 27 seconds: 1 / sampling rate
    float delayTime = 0.0f;                     // 28 first point's time, in the retention unit
    std::vector<float> values;                  // 29 the resampled trace
    int32_t count = 0;                          // 30 values produced (at most values.size())
};
