#include "app/about_form.h"

#include "help/help_context.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvane {

TAboutForm::TAboutForm(std::string helpFolder, QWidget* parent)
    : QDialog(parent), HelpFolder(std::move(helpFolder)) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("About Korvane"));
    setModal(true);
    SetHelpTopic(*this, "Contents/Reference/Help");
    auto* layout = new QVBoxLayout(this);
    ProductName = new QLabel(QStringLiteral("Korvane"), this);
    QFont big = ProductName->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    ProductName->setFont(big);
    ProductName->setCursor(Qt::PointingHandCursor);
    ProductName->setAttribute(Qt::WA_Hover);
    ProductName->installEventFilter(this);
    ColourName(false);
    layout->addWidget(ProductName);
    Version = new QLabel(QStringLiteral("Version 2.1 (build 0)"), this);
    layout->addWidget(Version);
    Text = new QPlainTextEdit(this);
    Text->setReadOnly(true);
    Text->setMinimumSize(480, 280);
    layout->addWidget(Text, 1);

    auto* buttons = new QHBoxLayout;
    ReleaseNotesBtn = new QPushButton(QStringLiteral("Release notes/Contact Details"), this);
    LicenceBtn = new QPushButton(QStringLiteral("License Agreement"), this);
    auto* group = new QButtonGroup(this);
    for (QPushButton* button : {ReleaseNotesBtn, LicenceBtn}) {
        button->setCheckable(true);
        button->setAutoDefault(false);
        group->addButton(button);
        buttons->addWidget(button);
    }
    buttons->addStretch(1);
    auto* close = new QPushButton(QStringLiteral("OK"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(ReleaseNotesBtn, &QPushButton::clicked, this, [this] { ShowReleaseNotes(); });
    connect(LicenceBtn, &QPushButton::clicked, this, [this] { ShowLicence(); });
    ShowReleaseNotes();
}

void TAboutForm::ShowReleaseNotes() {
    ReleaseNotesBtn->setChecked(true);
    ShowFile("about.txt", "No about text in help path");
}

void TAboutForm::ShowLicence() {
    LicenceBtn->setChecked(true);
    ShowFile("copyright.txt", "No copyright text in help path");
}

void TAboutForm::ShowFile(const char* fileName, const char* missing) {
    QString folder = QString::fromStdString(HelpFolder);
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    QFile file(folder + QLatin1String(fileName));
    if (file.open(QIODevice::ReadOnly))
        Text->setPlainText(QString::fromUtf8(file.readAll()));
    else
        Text->setPlainText(QString::fromLatin1(missing));
}

void TAboutForm::ColourName(bool underMouse) {
    ProductName->setStyleSheet(underMouse ? QStringLiteral("color: red;")
                                          : QStringLiteral("color: darkred;"));
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ProductName) {
        if (event->type() == QEvent::Enter) ColourName(true);
        if (event->type() == QEvent::Leave) ColourName(false);
        if (event->type() == QEvent::MouseButtonRelease && OnProductClick) OnProductClick();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace korvane
