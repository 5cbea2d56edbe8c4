#pragma once
// The About box: the product name (a link to the home page), the version, and the release
// notes or the licence from the help folder, chosen by two toggle buttons.
#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace korvane {

class TAboutForm : public QDialog {
public:
    // helpFolder holds about.txt and copyright.txt.
    explicit TAboutForm(std::string helpFolder, QWidget* parent = nullptr);

    // Runs when the product name is clicked.
    std::function<void()> OnProductClick;

    void ShowReleaseNotes();
    void ShowLicence();

    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QPlainTextEdit* Text = nullptr;
    QPushButton* ReleaseNotesBtn = nullptr;
    QPushButton* LicenceBtn = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowFile(const char* fileName, const char* missing);
    void ColourName(bool underMouse);

    std::string HelpFolder;
};

} // namespace korvane
