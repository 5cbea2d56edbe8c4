#pragma once
// One token class of a highlighting scheme: its caption, foreground and background colours,
// the four font-style toggles and a sample line drawn the way the editor will draw it.
#include "model/highlight_schemes.h"

#include <QFrame>

#include <functional>

class QCheckBox;
class QLabel;
class QToolButton;

namespace korvane {

class TColorButton;

// The sample a token class shows for a language: a comment of that language for comments, a
// tag for HTML keywords, and so on.
QString StyleSampleText(TLanguage language, int attribute);

class TStyleFrame : public QFrame {
public:
    explicit TStyleFrame(const QString& caption, QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    // Shows attribute index of scheme (or nothing) without reporting a change.
    void Bind(TAttribDetails* scheme, int index);
    // Called after every change the frame writes into its attribute.
    void SetOnChange(std::function<void()> onChange) { OnChange = std::move(onChange); }

    TColorButton* Fore = nullptr;
    TColorButton* Back = nullptr;
    QToolButton* StyleButtons[4] = {}; // bold, italic, underline, strike-out

private:
    void WriteAttribute();
    void ShowSample();

    QLabel* Caption = nullptr;
    QLabel* Sample = nullptr;
    QCheckBox* FocusSink = nullptr; // takes the focus off a toggle after it is pressed
    TAttribDetails* Scheme = nullptr;
    int Index = 0;
    bool Binding = false;
    std::function<void()> OnChange;
};

} // namespace korvane
