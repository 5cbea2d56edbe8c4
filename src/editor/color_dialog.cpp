#include "editor/color_dialog.h"

#include "platform/qt_strings.h"
#include "widgets/help_topic.h"
#include "widgets/ok_cancel_row.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace korvane {

namespace {

QColor ToQColor(TColor colour) {
    return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                  static_cast<int>((colour >> 16) & 0xFF));
}

TColor FromQColor(const QColor& colour) {
    return static_cast<TColor>(colour.red()) | static_cast<TColor>(colour.green()) << 8 |
           static_cast<TColor>(colour.blue()) << 16;
}

} // namespace

class TColourPreview : public QWidget {
public:
    explicit TColourPreview(QWidget* parent) : QWidget(parent) { setMinimumSize(120, 60); }
    void SetColour(TColor colour) {
        Colour = ToQColor(colour);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.setBrush(Colour);
        painter.drawEllipse(rect().adjusted(2, 2, -2, -2));
    }

private:
    QColor Colour = Qt::black;
};

TColorDialog::TColorDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Choose a Colo(u)r"));
    SetHelpTopic(*this, "Contents/reference/color_dlg");
    auto* layout = new QVBoxLayout(this);
    auto* boxRow = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Colo(u)r Name "), this);
    ColourBox = new QComboBox(this);
    ColourBox->setEditable(true);
    ColourBox->setInsertPolicy(QComboBox::NoInsert);
    ColourBox->setMinimumContentsLength(16);
    for (int i = 0; i < HtmlColourNameCount(); ++i)
        ColourBox->addItem(QString::fromLatin1(HtmlColourNames()[i].Name));
    ColourBox->setEditText(QString());
    label->setBuddy(ColourBox);
    PickButton = new QPushButton(QStringLiteral("..."), this);
    PickButton->setFixedWidth(PickButton->fontMetrics().horizontalAdvance(QStringLiteral("...")) +
                              24);
    boxRow->addWidget(label);
    boxRow->addWidget(ColourBox, 1);
    boxRow->addWidget(PickButton);
    layout->addLayout(boxRow);
    UseName = new QCheckBox(QStringLiteral("Use Name if Possible"), this);
    layout->addWidget(UseName);
    Preview = new TColourPreview(this);
    layout->addWidget(Preview, 1);
    AddOkCancelRow(*this, *layout);

    PickColour = [this](TColor start) -> std::optional<TColor> {
        const QColor picked = QColorDialog::getColor(ToQColor(start), this);
        if (!picked.isValid()) return std::nullopt;
        return FromQColor(picked);
    };
    connect(ColourBox, &QComboBox::editTextChanged, this, [this](const QString& text) {
        Chosen.SetText(ToStdString(text));
        Preview->SetColour(Chosen.Preview());
    });
    connect(UseName, &QCheckBox::clicked, this, [this](bool checked) {
        Chosen.SetUseName(checked);
        ShowChoice();
    });
    connect(PickButton, &QPushButton::clicked, this, [this] {
        if (const std::optional<TColor> picked = PickColour(Chosen.Preview())) {
            Chosen.Pick(*picked);
            ShowChoice();
        }
    });
}

void TColorDialog::Start(const std::string& text) {
    if (text.empty()) return;
    Chosen.Start(text);
    ShowChoice();
}

void TColorDialog::ShowChoice() {
    // The text is the choice's already; reading it back would change nothing.
    const QSignalBlocker quiet(ColourBox);
    ColourBox->setEditText(ToQString(Chosen.Text()));
    UseName->setChecked(Chosen.UseName());
    Preview->SetColour(Chosen.Preview());
}

} // namespace korvane
