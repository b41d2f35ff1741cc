#pragma once
// What a serial port number and a line speed may be, for every program that
// takes them from a user (the command-line tool, the simulator).

#include <vector>

struct CPortSettings {
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 9999;
    static constexpr int kDefaultBaud = 57600;

    // The line speeds the serial adapter can set.
    static const std::vector<long long>& BaudRates()
    {
        static const std::vector<long long> rates = {1200,  2400,   4800,   9600,   19200, 38400,
                                                     57600, 115200, 230400, 460800, 921600};
        return rates;
    }
};
