#include "model/highlight_schemes.h"

#include "storage/section_list.h"
#include "storage/text_utils.h"

#include <algorithm>

namespace korvane {

const std::array<const char*, AttributeCount> AttributeNames = {
    "Comments", "Symbols", "Strings", "Identifiers", "Variables", "Keywords"};

namespace {

// Colours as blue-green-red values.
constexpr TColor Bgr(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return TColor(r) | TColor(g) << 8 | TColor(b) << 16;
}

// The look a fresh editor shows before the user changes anything.
const std::array<THighlightAttribute, AttributeCount> DefaultAttributes = {{
    {Bgr(0x00, 0x80, 0x00), clWhite, fsItalic}, // Comments
    {Bgr(0x00, 0x00, 0x00), clWhite, 0},        // Symbols
    {Bgr(0x80, 0x00, 0x00), clWhite, 0},        // Strings
    {Bgr(0x00, 0x00, 0x00), clWhite, 0},        // Identifiers
    {Bgr(0x00, 0x80, 0x80), clWhite, 0},        // Variables
    {Bgr(0x00, 0x00, 0x80), clWhite, fsBold},   // Keywords
}};

} // namespace

std::string HighlighterClassName(THighlighterKind kind) {
    switch (kind) {
    case THighlighterKind::Perl:
        return "TSynPerlSyn";
    case THighlighterKind::HTML:
        return "TSynHTMLSyn";
    case THighlighterKind::PHP:
        return "TSynPHPSyn";
    case THighlighterKind::SQL:
        return "TSynSQLSyn";
    case THighlighterKind::Batch:
        return "TSynBatSyn";
    case THighlighterKind::General:
        return "TSynGeneralSyn";
    case THighlighterKind::None:
        break;
    }
    return "unknownClass";
}

bool THighlightAttribute::operator==(const THighlightAttribute& other) const {
    return Foreground == other.Foreground && Background == other.Background &&
           (Style & AllFontStyles) == (other.Style & AllFontStyles);
}

TAttribDetails::TAttribDetails(THighlighterKind kind, int tag, const TAttribDetails* parentScheme)
    : Kind(kind), TagValue(tag), Parent(parentScheme), Attributes(DefaultAttributes) {}

void TAttribDetails::OnChange() {
    ModifiedFlag = true;
    AppliedFlag = false;
}

void TAttribDetails::SetEditorColor(TColor color) {
    if (color == EditorColorValue) return;
    EditorColorValue = color;
    OnChange();
}

void TAttribDetails::SetName(const std::string& name) {
    if (name == NameValue) return;
    NameValue = name;
    OnChange();
}

void TAttribDetails::SetFontName(const std::string& name) {
    if (name == FontNameValue) return;
    FontNameValue = name;
    OnChange();
}

void TAttribDetails::SetFontSize(int size) {
    if (size == FontSizeValue) return;
    FontSizeValue = size;
    OnChange();
}

void TAttribDetails::SetAttribute(int index, const THighlightAttribute& value) {
    THighlightAttribute& target = Attributes.at(index);
    if (target.Foreground == value.Foreground && target.Background == value.Background &&
        target.Style == value.Style)
        return;
    target = value;
    OnChange();
}

void TAttribDetails::Assign(const TAttribDetails& other) {
    for (int i = 0; i < AttributeCount; ++i)
        SetAttribute(i, other.Attributes[i]);
    SetEditorColor(other.EditorColorValue);
    SetFontName(other.FontNameValue);
    SetFontSize(other.FontSizeValue);
    SetName(other.NameValue);
}

bool TAttribDetails::Equals(const TAttribDetails& other) const {
    return Attributes == other.Attributes && EditorColorValue == other.EditorColorValue &&
           FontSizeValue == other.FontSizeValue && SameText(FontNameValue, other.FontNameValue);
}

void TAttribDetails::SaveToStream(TSectionList& stream) const {
    stream.BeginSection("Attributes for " + HighlighterClassName(Kind).substr(1));
    for (int i = 0; i < AttributeCount; ++i) {
        stream.BeginSection(AttributeNames[i]);
        stream.WriteInt(static_cast<std::int32_t>(Attributes[i].Foreground));
        stream.WriteInt(static_cast<std::int32_t>(Attributes[i].Background));
        stream.WriteByte(Attributes[i].Style);
        stream.EndSection();
    }
    stream.WriteInt(static_cast<std::int32_t>(EditorColorValue));
    stream.WriteStr(NameValue);
    stream.WriteStr(FontNameValue);
    stream.WriteInt(FontSizeValue);
    stream.EndSection();
}

void TAttribDetails::LoadFromStream(TSectionList& stream) {
    stream.BeginSection("Attributes for " + HighlighterClassName(Kind).substr(1));
    for (int i = 0; i < AttributeCount; ++i) {
        stream.BeginSection(AttributeNames[i]);
        THighlightAttribute value;
        value.Foreground = static_cast<TColor>(stream.ReadInt());
        value.Background = stream.AtEnd() ? clWhite : static_cast<TColor>(stream.ReadInt());
        value.Style = static_cast<std::uint8_t>(stream.ReadByte());
        stream.EndSection();
        SetAttribute(i, value);
    }
    if (!stream.AtEnd()) {
        SetEditorColor(static_cast<TColor>(stream.ReadInt()));
        SetName(stream.ReadStr());
    }
    if (!stream.AtEnd()) {
        SetFontName(stream.ReadStr());
        SetFontSize(stream.ReadInt());
    }
    stream.EndSection();
    ModifiedFlag = false;
}

TAttribDetails& TAttribList::Add(std::unique_ptr<TAttribDetails> scheme) {
    Schemes.push_back(std::move(scheme));
    return *Schemes.back();
}

void TAttribList::Assign(const TAttribList& other) {
    if (&other == this) return;
    Schemes.clear();
    for (const auto& scheme : other.Schemes) {
        auto copy = std::make_unique<TAttribDetails>(scheme->HighlighterClass(), scheme->Tag(),
                                                     scheme->ParentScheme());
        copy->Assign(*scheme);
        copy->SetModified(false);
        Add(std::move(copy));
    }
}

TAttribDetails* TAttribList::byName(const std::string& name) const {
    for (const auto& scheme : Schemes)
        if (SameText(scheme->Name(), name)) return scheme.get();
    return nullptr;
}

bool TAttribList::Remove(const TAttribDetails* scheme) {
    const auto it = std::find_if(Schemes.begin(), Schemes.end(),
                                 [scheme](const auto& owned) { return owned.get() == scheme; });
    if (it == Schemes.end()) return false;
    Schemes.erase(it);
    return true;
}

std::vector<std::pair<std::string, TAttribDetails*>> TAttribList::ToStrings() const {
    std::vector<std::pair<std::string, TAttribDetails*>> result;
    for (const auto& scheme : Schemes)
        result.emplace_back(scheme->Name(), scheme.get());
    return result;
}

void TAttribList::SaveToStream(TSectionList& stream) const {
    stream.BeginSection("Schemes");
    stream.WriteInt(Count());
    for (const auto& scheme : Schemes)
        scheme->SaveToStream(stream);
    stream.EndSection();
}

void TAttribList::LoadFromStream(TSectionList& stream) {
    Schemes.clear();
    stream.BeginSection("Schemes");
    const int count = stream.ReadInt();
    for (int i = 0; i < count && !stream.AtEnd(); ++i) {
        const int64_t before = stream.Position();
        auto scheme = std::make_unique<TAttribDetails>();
        scheme->LoadFromStream(stream);
        if (stream.Position() == before) break;
        Add(std::move(scheme));
    }
    stream.EndSection();
}

bool THighlightSchemes::AnyModified() const {
    const auto all = All();
    return std::any_of(all.begin(), all.end(),
                       [](const TAttribDetails* s) { return s->Modified(); });
}

} // namespace korvane
