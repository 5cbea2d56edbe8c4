// The settings dialog's colour pages: the scheme being edited, its named scheme, background,
// font and the six token classes.
#include "app/properties_dlg.h"
#include "platform/qt_strings.h"
#include "storage/method_trace.h"
#include "storage/prompt.h"
#include "widgets/color_button.h"
#include "widgets/style_frame.h"

#include <QComboBox>
#include <QFontComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStackedWidget>

namespace korvane {

void TPropertiesDlg::UpdateColorSet() {
    if (!Current) return;
    QWidget* shown = Pages->currentWidget();
    const bool wasUpdating = Updating;
    Updating = true;
    const THighlighterKind kind = Current->HighlighterClass();
    StyleFrames[aiSymbols]->setVisible(kind != THighlighterKind::Batch);
    StyleFrames[aiVariables]->SetCaption(
        kind == THighlighterKind::HTML ? QStringLiteral("Values") : QStringLiteral("Variables"));
    for (int i = 0; i < AttributeCount; ++i)
        StyleFrames[i]->Bind(Current, i);
    EditorBgColor->SetColor(Current->EditorColor());
    FontBox->setCurrentFont(QFont(ToQString(Current->FontName())));
    FontSize->setValue(Current->FontSize());
    Scheme->setEditText(ToQString(Current->Name()));
    RememberedScheme = Current->Name();
    Updating = wasUpdating;
    Pages->setCurrentWidget(shown);
}

void TPropertiesDlg::FillSchemeNames() {
    const QString text = Scheme->currentText();
    Scheme->clear();
    for (const auto& [name, scheme] : WorkNamed.ToStrings())
        Scheme->addItem(ToQString(name));
    Scheme->setCurrentIndex(-1);
    Scheme->setEditText(text);
}

void TPropertiesDlg::SchemeChange() {
    TraceScope trace(this, "TPropertiesDlg", "SchemeChange");
    const std::string text = ToStdString(Scheme->currentText());
    TAttribDetails* named = WorkNamed.byName(text);
    if (!named || !Current) return;
    if (RememberedScheme.empty() && !Current->Equals(*named) &&
        CurrentPrompt().Ask(PromptKind::Confirmation,
                            "Do you wish to lose your custom settings in favour of scheme '" +
                                text + "'?",
                            pbYes | pbNo) != pbYes) {
        RememberedScheme.clear();
        Scheme->setCurrentIndex(-1);
        Scheme->setEditText(QString());
        Current->SetName("");
        return;
    }
    Current->Assign(*named);
    RememberedScheme = text;
    GenChange();
    UpdateColorSet();
}

void TPropertiesDlg::SchemeExit() {
    TraceScope trace(this, "TPropertiesDlg", "SchemeExit");
    const std::string text = ToStdString(Scheme->currentText());
    if (!Current || Updating || text == RememberedScheme) return;
    if (TAttribDetails* named = WorkNamed.byName(text); named && !text.empty()) {
        Current->Assign(*named);
        RememberedScheme = text;
        GenChange();
        UpdateColorSet();
        return;
    }
    if (!text.empty()) {
        if (CurrentPrompt().Ask(PromptKind::Confirmation,
                                "Do you wish to add a name scheme called '" + text + "'?",
                                pbYes | pbNo) != pbYes) {
            Scheme->setEditText(ToQString(RememberedScheme));
            return;
        }
        Current->SetName(text);
        WorkNamed.Add(std::make_unique<TAttribDetails>()).Assign(*Current);
        FillSchemeNames();
        GenChange();
        RememberedScheme = text;
        return;
    }
    Current->SetName("");
    const std::string old = RememberedScheme;
    TAttribDetails* removed = nullptr;
    if (CurrentPrompt().Ask(PromptKind::Confirmation,
                            "Do you wish to remove the name scheme called '" + old + "'?",
                            pbYes | pbNo) == pbYes)
        removed = WorkNamed.byName(old);
    RememberedScheme.clear();
    if (removed) {
        WorkNamed.Remove(removed);
        FillSchemeNames();
    } else {
        CurrentPrompt().Inform(PromptKind::Information, "This is now a custom set and no longer "
                                                        "uses the '" +
                                                            old + "' scheme.");
    }
    GenChange();
}

void TPropertiesDlg::ColorsSheetExit() {
    const std::string text = ToStdString(Scheme->currentText());
    TAttribDetails* named = WorkNamed.byName(text);
    if (!Current || Current->Name().empty() || !named || Current->Equals(*named)) return;
    if (CurrentPrompt().Ask(PromptKind::Confirmation,
                            "Do you wish to change the scheme called '" + text + "'?",
                            pbYes | pbNo) == pbYes) {
        named->Assign(*Current);
        named->SetName(text);
        for (TAttribDetails* scheme : WorkSchemes.All())
            if (scheme != Current && scheme->Name() == text) scheme->Assign(*Current);
        GenChange();
        UpdateColorSet();
        return;
    }
    RememberedScheme.clear();
    Scheme->setEditText(QString());
    Current->SetName("");
}

// Token classes drawn on the editor's background follow it to the new colour.
void TPropertiesDlg::EditorBgColorChange(TColor color) {
    TraceScope trace(this, "TPropertiesDlg", "EditorBgColorChange");
    if (!Current || Updating) return;
    for (int i = 0; i < AttributeCount; ++i) {
        THighlightAttribute attribute = Current->Attribute(i);
        if (attribute.Background != Current->EditorColor()) continue;
        attribute.Background = color;
        Current->SetAttribute(i, attribute);
    }
    Current->SetEditorColor(color);
    UpdateColorSet();
    GenChange();
}

void TPropertiesDlg::FontSelectionChange() {
    if (!Current || Updating || Showing) return;
    Current->SetFontName(ToStdString(FontBox->currentFont().family()));
    UpdateColorSet();
    GenChange();
}

void TPropertiesDlg::FontSizeChange() {
    if (!Current || Updating || Showing) return;
    Current->SetFontSize(FontSize->value());
    UpdateColorSet();
    GenChange();
}

} // namespace korvane
