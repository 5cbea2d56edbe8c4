#include "widgets/style_frame.h"

#include "platform/qt_strings.h"
#include "widgets/color_button.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <array>

namespace korvane {

namespace {

// What each token class looks like in each language, in the order of the attributes:
// comments, symbols, strings, identifiers, variables (values in HTML), keywords.
using TSamples = std::array<const char*, AttributeCount>;
constexpr TSamples PerlSamples = {"# count the lines", "{ } ( ) ; =~ ->",     "\"Hello, $name\"",
                                  "print_report",      "$count @lines %seen", "my foreach sub"};
constexpr TSamples PhpSamples = {"// count the lines", "{ } ( ) ; -> =>", "'Hello'",
                                 "print_report",       "$count $_GET",    "function echo foreach"};
constexpr TSamples HtmlSamples = {"<!-- navigation -->", "&amp; &nbsp; &lt;", "\"styles.css\"",
                                  "Page title",          "width=\"80%\"",     "<table> <td>"};
constexpr TSamples SqlSamples = {"-- totals per day", "( ) , ; =", "'Smith'",
                                 "customers",         "@total",    "SELECT WHERE"};
constexpr TSamples BatchSamples = {"REM build the site", "> |",       "\"C:\\temp\"",
                                   "build.log",          "%PATH% %1", "echo goto"};
constexpr TSamples TextSamples = {"plain text", "plain text", "plain text",
                                  "plain text", "plain text", "plain text"};

} // namespace

QString StyleSampleText(TLanguage language, int attribute) {
    const TSamples* samples = &TextSamples;
    switch (language) {
    case TLanguage::Perl:
        samples = &PerlSamples;
        break;
    case TLanguage::PHP:
        samples = &PhpSamples;
        break;
    case TLanguage::HTML:
        samples = &HtmlSamples;
        break;
    case TLanguage::SQL:
        samples = &SqlSamples;
        break;
    case TLanguage::Batch:
        samples = &BatchSamples;
        break;
    default:
        break;
    }
    if (attribute < 0 || attribute >= AttributeCount) return {};
    return QStringLiteral("  ") + QString::fromUtf8((*samples)[static_cast<size_t>(attribute)]) +
           QStringLiteral("  ");
}

namespace {

struct TStyleToggle {
    const char* Text;
    TFontStyle Bit;
};
constexpr TStyleToggle StyleToggles[4] = {
    {"B", fsBold}, {"I", fsItalic}, {"U", fsUnderline}, {"S", fsStrikeOut}};

} // namespace

TStyleFrame::TStyleFrame(const QString& caption, QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    Caption = new QLabel(caption, this);
    Caption->setAlignment(Qt::AlignCenter);
    layout->addWidget(Caption);

    auto* row = new QHBoxLayout;
    Fore = new TColorButton(QStringLiteral("Fore "), this);
    Back = new TColorButton(QStringLiteral("Back "), this);
    row->addWidget(Fore);
    row->addWidget(Back);
    for (int i = 0; i < 4; ++i) {
        StyleButtons[i] = new QToolButton(this);
        StyleButtons[i]->setText(QString::fromLatin1(StyleToggles[i].Text));
        StyleButtons[i]->setCheckable(true);
        QFont font = StyleButtons[i]->font();
        font.setBold(i == 0);
        font.setItalic(i == 1);
        font.setUnderline(i == 2);
        font.setStrikeOut(i == 3);
        StyleButtons[i]->setFont(font);
        row->addWidget(StyleButtons[i]);
        connect(StyleButtons[i], &QToolButton::toggled, this, [this] { WriteAttribute(); });
    }
    row->addStretch();
    layout->addLayout(row);

    Sample = new QLabel(StyleSampleText(TLanguage::Perl, 0), this);
    Sample->setObjectName(QStringLiteral("Sample"));
    // Shown as typed: an HTML sample's tags and entities are the sample, not markup.
    Sample->setTextFormat(Qt::PlainText);
    Sample->setAutoFillBackground(true);
    layout->addWidget(Sample);

    FocusSink = new QCheckBox(this);
    FocusSink->setFixedSize(0, 0);

    Fore->SetOnChange([this](TColor) { WriteAttribute(); });
    Back->SetOnChange([this](TColor) { WriteAttribute(); });
    setEnabled(false);
}

void TStyleFrame::SetCaption(const QString& caption) {
    Caption->setText(caption);
}

void TStyleFrame::Bind(TAttribDetails* scheme, int index) {
    Scheme = scheme;
    Index = index;
    Binding = true;
    const THighlightAttribute attribute = scheme ? scheme->Attribute(index) : THighlightAttribute{};
    Fore->SetColor(attribute.Foreground);
    Back->SetColor(attribute.Background);
    for (int i = 0; i < 4; ++i)
        StyleButtons[i]->setChecked((attribute.Style & StyleToggles[i].Bit) != 0);
    Binding = false;
    setEnabled(scheme != nullptr);
    ShowSample();
}

void TStyleFrame::WriteAttribute() {
    if (Binding || !Scheme) return;
    THighlightAttribute attribute;
    attribute.Foreground = Fore->Color();
    attribute.Background = Back->Color();
    for (int i = 0; i < 4; ++i)
        if (StyleButtons[i]->isChecked()) attribute.Style |= StyleToggles[i].Bit;
    Scheme->SetAttribute(Index, attribute);
    if (focusWidget() && focusWidget() != FocusSink) FocusSink->setFocus();
    ShowSample();
    if (OnChange) OnChange();
}

void TStyleFrame::ShowSample() {
    QPalette palette = Sample->palette();
    QFont font = Sample->font();
    if (Scheme) {
        Sample->setText(StyleSampleText(Scheme->HighlighterClass(), Index));
        const THighlightAttribute& attribute = Scheme->Attribute(Index);
        palette.setColor(QPalette::Window, ToQColor(attribute.Background));
        palette.setColor(QPalette::WindowText, ToQColor(attribute.Foreground));
        font.setFamily(ToQString(Scheme->FontName()));
        font.setPointSize(Scheme->FontSize());
        font.setBold(attribute.Style & fsBold);
        font.setItalic(attribute.Style & fsItalic);
        font.setUnderline(attribute.Style & fsUnderline);
        font.setStrikeOut(attribute.Style & fsStrikeOut);
    }
    Sample->setPalette(palette);
    Sample->setFont(font);
}

} // namespace korvane
