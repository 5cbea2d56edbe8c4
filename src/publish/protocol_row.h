#pragma once
// The organizer's choice of how the project's files travel: plain FTP or SFTP, and for SFTP a
// private key file tried after ssh-agent's keys. Edits go straight to the project.
#include <QWidget>

#include <cstdint>
#include <string>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace korvane {

class TKorProject;
enum class TFtpProtocol : std::int32_t;

// The port to keep when the protocol changes: each protocol's default stands in for the
// other's, a port the user chose stays.
std::string PortForProtocol(TFtpProtocol protocol, const std::string& port);

class TProtocolRow : public QWidget {
public:
    explicit TProtocolRow(TKorProject& project, QWidget* parent = nullptr);
    // Shows the project's current choice.
    void Refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ProtocolChosen(int index);
    void ChooseKeyFile();

    TKorProject& Project;
    QComboBox* Protocol = nullptr;
    QLineEdit* KeyFile = nullptr;
    QPushButton* KeyFileBtn = nullptr;
};

} // namespace korvane
