#include "publish/protocol_row.h"

#include "platform/qt_strings.h"
#include "project/kor_project.h"
#include "storage/prompt.h"

#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace korvane {

std::string PortForProtocol(TFtpProtocol protocol, const std::string& port) {
    if (protocol == TFtpProtocol::SFTP)
        return port.empty() || port == "ftp" || port == "21" ? "22" : port;
    return port.empty() || port == "ssh" || port == "22" ? "ftp" : port;
}

TProtocolRow::TProtocolRow(TKorProject& project, QWidget* parent)
    : QWidget(parent), Project(project) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    Protocol = new QComboBox;
    Protocol->setObjectName(QStringLiteral("Protocol"));
    Protocol->addItems({QStringLiteral("FTP"), QStringLiteral("SFTP")});
    Protocol->setToolTip(QStringLiteral("How the project's files are sent to the server"));
    auto* label = new QLabel(QStringLiteral("Pro&tocol "));
    label->setBuddy(Protocol);
    layout->addWidget(label);
    layout->addWidget(Protocol);
    KeyFile = new QLineEdit;
    KeyFile->setObjectName(QStringLiteral("SftpKeyFile"));
    KeyFile->setPlaceholderText(QStringLiteral("ssh-agent's keys"));
    KeyFile->setToolTip(QStringLiteral("A private key without passphrase for SFTP logins; "
                                       "keys with a passphrase go to ssh-agent"));
    auto* keyLabel = new QLabel(QStringLiteral("&Key File "));
    keyLabel->setBuddy(KeyFile);
    layout->addWidget(keyLabel);
    layout->addWidget(KeyFile, 1);
    KeyFileBtn = new QPushButton(QStringLiteral("..."));
    KeyFileBtn->setObjectName(QStringLiteral("SftpKeyFileBtn"));
    KeyFileBtn->setMaximumWidth(32);
    layout->addWidget(KeyFileBtn);

    connect(Protocol, &QComboBox::activated, this, [this](int index) { ProtocolChosen(index); });
    connect(KeyFile, &QLineEdit::textEdited, this,
            [this](const QString& text) { Project.setSftpKeyFile(ToStdString(text)); });
    connect(KeyFileBtn, &QPushButton::clicked, this, [this] { ChooseKeyFile(); });
    Refresh();
}

void TProtocolRow::Refresh() {
    const bool sftp = Project.FtpProtocol() == TFtpProtocol::SFTP;
    Protocol->setCurrentIndex(sftp ? 1 : 0);
    KeyFile->setText(ToQString(Project.SftpKeyFile()));
    KeyFile->setEnabled(sftp);
    KeyFileBtn->setEnabled(sftp);
}

void TProtocolRow::showEvent(QShowEvent* event) {
    Refresh();
    QWidget::showEvent(event);
}

void TProtocolRow::ProtocolChosen(int index) {
    const TFtpProtocol protocol = index == 1 ? TFtpProtocol::SFTP : TFtpProtocol::FTP;
    Project.setFtpProtocol(protocol);
    Project.setFtpPort(PortForProtocol(protocol, Project.FtpPort()));
    Refresh();
}

void TProtocolRow::ChooseKeyFile() {
    FileChoice choice;
    choice.Caption = "SFTP Key File";
    choice.Folder = QDir::homePath().toStdString() + "/.ssh";
    choice.FileName = Project.SftpKeyFile();
    choice.Filter = "All files (*)";
    const std::string chosen = CurrentPrompt().ChooseFile(choice);
    if (chosen.empty()) return;
    Project.setSftpKeyFile(chosen);
    Refresh();
}

} // namespace korvane
