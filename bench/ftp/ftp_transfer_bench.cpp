// Times one upload or download with TFtpClient; bench/ftp.sh compares it with curl.
// Usage: ftp_transfer_bench put|get active|passive PORT USER PASSWORD LOCAL_FILE REMOTE_NAME
#include "net/ftp_client.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 8) {
        std::fprintf(stderr, "usage: %s put|get active|passive PORT USER PASSWORD LOCAL REMOTE\n",
                     argv[0]);
        return 2;
    }
    const std::string direction = argv[1];
    korvane::TFtpClient client;
    client.HostName = "127.0.0.1";
    client.Passive = std::string(argv[2]) == "passive";
    client.Port = argv[3];
    client.UserName = argv[4];
    client.PassWord = argv[5];
    client.SetLocalFileName(argv[6]);
    client.HostFileName = argv[7];
    client.Timeout = 60;
    if (!client.Connect() || !client.TypeBinary()) {
        std::fprintf(stderr, "%s\n", client.ErrorMessage().c_str());
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    const bool ok = direction == "put" ? client.Put() : client.Get();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    if (!ok) {
        std::fprintf(stderr, "%s\n", client.ErrorMessage().c_str());
        return 1;
    }
    client.Quit();
    std::printf("%.4f\n", seconds);
    return 0;
}
