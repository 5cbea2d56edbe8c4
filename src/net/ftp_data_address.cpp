#include "net/ftp_data_address.h"

#include <QHostAddress>

#include <cstdio>

namespace korvane {

bool IsIPv6Address(const std::string& address) {
    QHostAddress host(QString::fromStdString(address));
    bool mapped = false;
    host.toIPv4Address(&mapped);
    return host.protocol() == QAbstractSocket::IPv6Protocol && !mapped;
}

std::string DataPortCommand(const std::string& localAddress, uint16_t port,
                            const std::string& serverAddress) {
    const int high = port >> 8, low = port & 0xff;
    char text[64];
    if (serverAddress == "127.0.0.1") {
        std::snprintf(text, sizeof text, "PORT 127,0,0,1,%d,%d", high, low);
        return text;
    }
    const QHostAddress local(QString::fromStdString(localAddress));
    bool isV4 = false;
    const quint32 v4 = local.toIPv4Address(&isV4);
    if (!isV4)
        return "EPRT |2|" + local.toString().toStdString() + "|" + std::to_string(port) + "|";
    std::snprintf(text, sizeof text, "PORT %d,%d,%d,%d,%d,%d", int(v4 >> 24),
                  int((v4 >> 16) & 0xff), int((v4 >> 8) & 0xff), int(v4 & 0xff), high, low);
    return text;
}

std::optional<uint16_t> PasvReplyPort(const std::string& line) {
    // Servers differ in what surrounds the numbers; take the first run of six.
    for (size_t start = line.find_first_of("0123456789", 4); start != std::string::npos;
         start = line.find_first_of("0123456789", start + 1)) {
        int n[6];
        int used = 0;
        if (std::sscanf(line.c_str() + start, "%d,%d,%d,%d,%d,%d%n", &n[0], &n[1], &n[2], &n[3],
                        &n[4], &n[5], &used) == 6) {
            for (int v : n)
                if (v < 0 || v > 255) return std::nullopt;
            const int port = n[4] * 256 + n[5];
            if (port == 0) return std::nullopt;
            return static_cast<uint16_t>(port);
        }
    }
    return std::nullopt;
}

std::optional<uint16_t> EpsvReplyPort(const std::string& line) {
    const size_t open = line.find('(');
    if (open == std::string::npos || open + 4 >= line.size()) return std::nullopt;
    const char delim = line[open + 1];
    if (line[open + 2] != delim || line[open + 3] != delim) return std::nullopt;
    long port = 0;
    size_t i = open + 4;
    for (; i < line.size() && line[i] >= '0' && line[i] <= '9' && port <= 65535; ++i)
        port = port * 10 + (line[i] - '0');
    if (i == open + 4 || i >= line.size() || line[i] != delim || port < 1 || port > 65535)
        return std::nullopt;
    return static_cast<uint16_t>(port);
}

std::vector<uint16_t> DataPortCandidates(int start, int end, int next) {
    std::vector<uint16_t> ports;
    if (end < start) return ports;
    const int first = next >= start && next <= end ? next : start;
    ports.reserve(static_cast<size_t>(end - start + 1));
    for (int p = first; p <= end; ++p)
        ports.push_back(static_cast<uint16_t>(p));
    for (int p = start; p < first; ++p)
        ports.push_back(static_cast<uint16_t>(p));
    return ports;
}

int DataPortAfter(int used, int start, int end) {
    return used + 1 > end ? start : used + 1;
}

} // namespace korvane
