#pragma once
// CBaseConfigDataIo: the compact configuration record - board settings, gas
// flows with their calibration coefficients, two channels, up to five gate
// modes and the event list. It stands alone as a configuration file and sits
// inside the compact data file.
//
// Record, N gate modes and M events, 124 + 27 * N + 14 * M bytes, little-endian:
//   offset  size     content
//        0     4     format tag, int32 = 30721 (0x7801)
//        4     2     number of gate modes N, int16 (0 to 5)
//        6     2     PMT voltage, int16
//        8     4     ignitor current, f32
//       12     2     trigger level, int16
//       14     2     range, int16
//       16    16     H2, Air 1, Air 2, Aux flow, f32 each
//       32    16     H2 coefficients A, B, C, D, f32 each
//       48    16     Air 1 coefficients A to D
//       64    16     Air 2 coefficients A to D
//       80    16     Aux coefficients A to D
//       96     4     number of events M, int32
//      100    12     channel 1 (CBaseChannelData.h)
//      112    12     channel 2
//      124  27*N     gate modes 0 to N - 1 (FileGateModeData.h)
//  124+27N  14*M     events, in list order (BaseEventData.h)
//
// A read that meets a wrong tag, an N outside 0..5, an M that is negative or
// larger than the bytes that follow can hold, or a record cut short fails
// with "Invalid Configuration File Format!" and changes nothing. The run log
// is not part of the record; the compact data file keeps it after the pulses.

#include "BaseChannelData.h"
#include "BaseEventData.h"
#include "ByteOrder.h"
#include "FileGateModeData.h"
#include "FileIO.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CBaseConfigDataIo {
public:
    static constexpr int32_t kTag = 30721;
    static constexpr int kMaxGateModes = 5;
    static constexpr int kChannels = 2;
    static constexpr size_t kFixedSize = 124;
    static constexpr const char* kInvalidFormat = "Invalid Configuration File Format!";

    CBaseConfigDataIo() = default;
    // Deep copies: the events are duplicated, the file handle is not shared.
    CBaseConfigDataIo(const CBaseConfigDataIo& other) { CopyFrom(other); }
    CBaseConfigDataIo& operator=(const CBaseConfigDataIo& other) { return CopyFrom(other); }
    virtual ~CBaseConfigDataIo() = default;
    CBaseConfigDataIo& CopyFrom(const CBaseConfigDataIo& other);

    short GetNumGateModes() const { return m_nNumGateModes; }
    void SetNumGateModes(short value) { m_nNumGateModes = value; }
    short GetPmtVoltage() const { return m_nPmtVoltage; }
    void SetPmtVoltage(short value) { m_nPmtVoltage = value; }
    float GetIgnitorCurrent() const { return m_fIgnitorCurrent; }
    void SetIgnitorCurrent(float value) { m_fIgnitorCurrent = value; }
    short GetTriggerLevel() const { return m_nTriggerLevel; }
    void SetTriggerLevel(short value) { m_nTriggerLevel = value; }
    short GetRange() const { return m_nRange; }
    void SetRange(short value) { m_nRange = value; }

    float GetH2Flow() const { return m_fH2Flow; }
    void SetH2Flow(float value) { m_fH2Flow = value; }
    float GetAir1Flow() const { return m_fAir1Flow; }
    void SetAir1Flow(float value) { m_fAir1Flow = value; }
    float GetAir2Flow() const { return m_fAir2Flow; }
    void SetAir2Flow(float value) { m_fAir2Flow = value; }
    float GetAuxFlow() const { return m_fAuxFlow; }
    void SetAuxFlow(float value) { m_fAuxFlow = value; }

    float GetH2CoefficientA() const { return m_fH2Coefficient[0]; }
    void SetH2CoefficientA(float value) { m_fH2Coefficient[0] = value; }
    float GetH2CoefficientB() const { return m_fH2Coefficient[1]; }
    void SetH2CoefficientB(float value) { m_fH2Coefficient[1] = value; }
    float GetH2CoefficientC() const { return m_fH2Coefficient[2]; }
    void SetH2CoefficientC(float value) { m_fH2Coefficient[2] = value; }
    float GetH2CoefficientD() const { return m_fH2Coefficient[3]; }
    void SetH2CoefficientD(float value) { m_fH2Coefficient[3] = value; }
    float GetAir1CoefficientA() const { return m_fAir1Coefficient[0]; }
    void SetAir1CoefficientA(float value) { m_fAir1Coefficient[0] = value; }
    float GetAir1CoefficientB() const { return m_fAir1Coefficient[1]; }
    void SetAir1CoefficientB(float value) { m_fAir1Coefficient[1] = value; }
    float GetAir1CoefficientC() const { return m_fAir1Coefficient[2]; }
    void SetAir1CoefficientC(float value) { m_fAir1Coefficient[2] = value; }
    float GetAir1CoefficientD() const { return m_fAir1Coefficient[3]; }
    void SetAir1CoefficientD(float value) { m_fAir1Coefficient[3] = value; }
    float GetAir2CoefficientA() const { return m_fAir2Coefficient[0]; }
    void SetAir2CoefficientA(float value) { m_fAir2Coefficient[0] = value; }
    float GetAir2CoefficientB() const { return m_fAir2Coefficient[1]; }
    void SetAir2CoefficientB(float value) { m_fAir2Coefficient[1] = value; }
    float GetAir2CoefficientC() const { return m_fAir2Coefficient[2]; }
    void SetAir2CoefficientC(float value) { m_fAir2Coefficient[2] = value; }
    float GetAir2CoefficientD() const { return m_fAir2Coefficient[3]; }
    void SetAir2CoefficientD(float value) { m_fAir2Coefficient[3] = value; }
    float GetAuxCoefficientA() const { return m_fAuxCoefficient[0]; }
    void SetAuxCoefficientA(float value) { m_fAuxCoefficient[0] = value; }
    float GetAuxCoefficientB() const { return m_fAuxCoefficient[1]; }
    void SetAuxCoefficientB(float value) { m_fAuxCoefficient[1] = value; }
    float GetAuxCoefficientC() const { return m_fAuxCoefficient[2]; }
    void SetAuxCoefficientC(float value) { m_fAuxCoefficient[2] = value; }
    float GetAuxCoefficientD() const { return m_fAuxCoefficient[3]; }
    void SetAuxCoefficientD(float value) { m_fAuxCoefficient[3] = value; }

    // Gate mode 0 to 4; any other index is clamped into that range so a bad
    // index never reaches outside the record.
    CFileGateModeData& GetGateModeData(int index) { return m_gateModes[ClampGate(index)]; }
    const CFileGateModeData& GetGateModeData(int index) const
    {
        return m_gateModes[ClampGate(index)];
    }
    // Channel 0 or 1, clamped like the gate modes.
    CBaseChannelData& GetChannelData(int index) { return m_channels[index == 1 ? 1 : 0]; }
    const CBaseChannelData& GetChannelData(int index) const
    {
        return m_channels[index == 1 ? 1 : 0];
    }

    std::vector<std::string>& GetRunLog() { return m_runLog; }
    const std::vector<std::string>& GetRunLog() const { return m_runLog; }
    std::vector<std::string>* GetRunLogPtr() { return &m_runLog; }

    // Appends event and takes ownership of it; nullptr is ignored.
    void AddEvent(CBaseEventData* event);
    void AddEvent(std::unique_ptr<CBaseEventData> event);
    int GetEventCount() const { return static_cast<int>(m_events.size()); }
    // nullptr when index names no event.
    const CBaseEventData* GetEvent(int index) const;
    CBaseEventData* GetEvent(int index);
    void RemoveAllEvents() { m_events.clear(); }

    // Tag of the last record written or read; 0 before either.
    int32_t GetTag() const { return m_nTag; }
    // Bytes the record occupies when written now.
    size_t GetRecordSize() const;

    // Writes the record when file is open for writing, reads it otherwise, at
    // the file's current position. 1 on success, 0 with message set. A failed
    // read leaves the record untouched and the file where it was.
    int Io(OFileIO& file, std::string& message);
    // Open path with the record's own file, Io, close. 0 without a message
    // when the path cannot be opened (an empty file cannot be read).
    int SaveConfig(const std::string& path, std::string& message);
    int ReadConfig(const std::string& path, std::string& message);

    // The record image. Gate modes beyond the first N are not written; an N
    // set outside 0..5 is written as the nearest count the record can hold.
    void Append(std::vector<uint8_t>& out) const;
    // Reads a record at the start of bytes: 1 with used = its size, or 0 with
    // message set and the record untouched. Bytes after the record are not
    // looked at.
    int Parse(std::span<const uint8_t> bytes, size_t& used, std::string& message);
    int Parse(std::span<const uint8_t> bytes, std::string& message);

    // Compares the stored fields, the events and the run log; gate modes by
    // their own rule (zero level and spare ignored).
    bool operator==(const CBaseConfigDataIo& other) const;

private:
    static int ClampGate(int index)
    {
        return index < 0 ? 0 : (index >= kMaxGateModes ? kMaxGateModes - 1 : index);
    }
    // Everything but the run log, the events and the file handle.
    void CopyStored(const CBaseConfigDataIo& other);
    short StoredGateModes() const;
    int Write(OFileIO& file, std::string& message);
    int Read(OFileIO& file, std::string& message);

    std::vector<std::string> m_runLog;
    int16_t m_nNumGateModes = 0;
    int16_t m_nPmtVoltage = 0;
    float m_fIgnitorCurrent = 0.0f;
    int16_t m_nTriggerLevel = 0;
    int16_t m_nRange = 0;
    float m_fH2Flow = 0.0f;
    float m_fAir1Flow = 0.0f;
    float m_fAir2Flow = 0.0f;
    float m_fAuxFlow = 0.0f;
    std::array<float, 4> m_fH2Coefficient{};
    std::array<float, 4> m_fAir1Coefficient{};
    std::array<float, 4> m_fAir2Coefficient{};
    std::array<float, 4> m_fAuxCoefficient{};
    OFileIO m_configFile;
    int32_t m_nTag = 0;
    std::array<CBaseChannelData, kChannels> m_channels;
    std::array<CFileGateModeData, kMaxGateModes> m_gateModes;
    std::vector<std::unique_ptr<CBaseEventData>> m_events;
};
