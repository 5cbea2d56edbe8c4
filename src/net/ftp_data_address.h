#pragma once
// The texts that set up an FTP data connection: the PORT/EPRT command of active mode, the
// address in a PASV/EPSV reply of passive mode, and the order of local ports to try when
// active mode is confined to a port range.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvane {

// The command announcing a listening data port. IPv4 uses "PORT h1,h2,h3,h4,p1,p2" with the
// control connection's local address (the fixed loopback form when the server is 127.0.0.1);
// IPv6 uses "EPRT |2|address|port|".
std::string DataPortCommand(const std::string& localAddress, uint16_t port,
                            const std::string& serverAddress);

// The port of a "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)" reply. The address in it is
// not used: the data connection goes to the control connection's peer, which is right behind
// NAT and keeps a server from sending the client elsewhere.
std::optional<uint16_t> PasvReplyPort(const std::string& line);
// The port of a "229 Entering Extended Passive Mode (|||port|)" reply.
std::optional<uint16_t> EpsvReplyPort(const std::string& line);

bool IsIPv6Address(const std::string& address);

// Ports to try for an active-mode listen within start..end, beginning at the remembered next
// port (or at start when next lies outside) and wrapping once around the range.
std::vector<uint16_t> DataPortCandidates(int start, int end, int next);
// The port to try first next time, after `used` was taken.
int DataPortAfter(int used, int start, int end);

} // namespace korvane
