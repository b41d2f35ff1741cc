#pragma once
// Which device a port number names, decided afresh at every open.
//
// Port n is the link <ports dir>/COM<n> whenever that entry exists, even
// when it points nowhere for the moment (a USB adapter being replugged: udev
// or the board simulator makes the link again). Only when there is no link,
// and none was ever seen for that port, does port n fall back to the
// built-in serial port /dev/ttyS<n-1>, and then only when the serial driver
// reports a real UART behind it: those device nodes exist on almost every
// machine whether or not there is hardware, and polling an empty one for
// ever would hide the adapter when it is plugged in again.
//
// With neither, the port resolves to the link's path, so that opening it
// fails as "not present" and names the link the operator has to provide.

#include <functional>
#include <mutex>
#include <set>
#include <string>

class CPortResolver {
public:
    // Whether a device is a real UART (the default asks the serial driver).
    using UartProbe = std::function<bool(const std::string& device)>;
    // The built-in serial port for port n (the default: /dev/ttyS<n-1>).
    using FallbackName = std::function<std::string(int port)>;

    CPortResolver();
    CPortResolver(UartProbe probe, FallbackName fallback);
    CPortResolver(const CPortResolver& other);
    CPortResolver& operator=(const CPortResolver& other);

    // The device port n names now; remembers that its link was seen.
    std::string Resolve(int port);
    bool WasLinkSeen(int port) const;

    // <ports dir>/COM<n>
    static std::string LinkPath(int port);
    // True when the serial driver reports a port type other than unknown.
    static bool IsRealUart(const std::string& device);

private:
    UartProbe m_probe;
    FallbackName m_fallback;
    mutable std::mutex m_lock;
    std::set<int> m_linksSeen;
};
