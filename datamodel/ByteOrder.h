#pragma once
// Little-endian helpers for the binary file formats. Every record image is
// built and parsed with these, never by copying structs, so the bytes on disk
// do not depend on the compiler's layout or the host's byte order.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace le {

// On a little-endian machine each field is one unaligned load or store (the
// compilers do not turn the byte loops into that, and the readers call these
// for every field of every record); elsewhere the bytes are put in order.
template <class T> inline void PutLE(uint8_t* p, T v)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(p, &v, sizeof v);
    } else {
        for (size_t i = 0; i < sizeof v; ++i)
            p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

template <class T> inline T GetLE(const uint8_t* p)
{
    T v = 0;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&v, p, sizeof v);
    } else {
        for (size_t i = sizeof v; i-- > 0;)
            v = static_cast<T>((v << 8) | p[i]);
    }
    return v;
}

inline void Put16(uint8_t* p, uint16_t v) { PutLE(p, v); }
inline void Put32(uint8_t* p, uint32_t v) { PutLE(p, v); }
inline void Put64(uint8_t* p, uint64_t v) { PutLE(p, v); }

inline void PutF32(uint8_t* p, float v) { Put32(p, std::bit_cast<uint32_t>(v)); }
inline void PutF64(uint8_t* p, double v) { Put64(p, std::bit_cast<uint64_t>(v)); }

inline uint16_t Get16(const uint8_t* p) { return GetLE<uint16_t>(p); }
inline uint32_t Get32(const uint8_t* p) { return GetLE<uint32_t>(p); }
inline uint64_t Get64(const uint8_t* p) { return GetLE<uint64_t>(p); }

inline int16_t GetI16(const uint8_t* p) { return static_cast<int16_t>(Get16(p)); }
inline int32_t GetI32(const uint8_t* p) { return static_cast<int32_t>(Get32(p)); }
inline float GetF32(const uint8_t* p) { return std::bit_cast<float>(Get32(p)); }
inline double GetF64(const uint8_t* p) { return std::bit_cast<double>(Get64(p)); }

// Appending writer over a growable byte buffer.
class Writer {
public:
    explicit Writer(std::vector<uint8_t>& out) : m_out(out) {}
    void U8(uint8_t v) { m_out.push_back(v); }
    void U16(uint16_t v) { Grow(2, [&](uint8_t* p) { Put16(p, v); }); }
    void U32(uint32_t v) { Grow(4, [&](uint8_t* p) { Put32(p, v); }); }
    void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v) { U32(std::bit_cast<uint32_t>(v)); }
    void F64(double v) { Grow(8, [&](uint8_t* p) { PutF64(p, v); }); }
    void Zeros(size_t n) { m_out.insert(m_out.end(), n, 0); }
    void Bytes(const void* data, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(data);
        m_out.insert(m_out.end(), b, b + n);
    }

private:
    template <class F> void Grow(size_t n, F&& put)
    {
        size_t at = m_out.size();
        m_out.resize(at + n);
        put(m_out.data() + at);
    }
    std::vector<uint8_t>& m_out;
};

// Bounds-checked reader over a byte span. A read past the end sets the
// failure flag and yields zero; callers check Ok() once after a group of reads.
class Reader {
public:
    explicit Reader(std::span<const uint8_t> in) : m_in(in) {}
    uint8_t U8() { return Take(1) ? m_in[m_pos - 1] : 0; }
    uint16_t U16() { return Take(2) ? Get16(&m_in[m_pos - 2]) : 0; }
    uint32_t U32() { return Take(4) ? Get32(&m_in[m_pos - 4]) : 0; }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    float F32() { return std::bit_cast<float>(U32()); }
    double F64() { return Take(8) ? GetF64(&m_in[m_pos - 8]) : 0.0; }
    void Skip(size_t n) { Take(n); }
    bool Bytes(void* out, size_t n)
    {
        if (!Take(n))
            return false;
        if (n)
            std::memcpy(out, &m_in[m_pos - n], n);
        return true;
    }
    bool Ok() const { return m_ok; }
    size_t Pos() const { return m_pos; }
    size_t Remaining() const { return m_in.size() - m_pos; }

private:
    bool Take(size_t n)
    {
        if (!m_ok || n > m_in.size() - m_pos) {
            m_ok = false;
            return false;
        }
        m_pos += n;
        return true;
    }
    std::span<const uint8_t> m_in;
    size_t m_pos = 0;
    bool m_ok = true;
};

} // namespace le
