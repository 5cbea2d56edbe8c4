#pragma once
// Highlighting schemes: for one highlighter kind, the colours and font styles of its six
// token classes, the editor's background colour and its font. The project keeps one active
// scheme per kind and a list of named schemes the user saved.
#include "model/language.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace korvane {

class TSectionList;

// Each language has its highlighter.
using THighlighterKind = TLanguage;

// The highlighter kind's class name as it appears in stored scheme records.
std::string HighlighterClassName(THighlighterKind kind);

// Colours are 32-bit values in blue-green-red order.
using TColor = std::uint32_t;
inline constexpr TColor clWhite = 0xFFFFFF;

enum TFontStyle : std::uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
inline constexpr std::uint8_t AllFontStyles = fsBold | fsItalic | fsUnderline | fsStrikeOut;

struct THighlightAttribute {
    TColor Foreground = 0;
    TColor Background = clWhite;
    std::uint8_t Style = 0;
    bool operator==(const THighlightAttribute& other) const;
};

enum TAttributeIndex { aiComments, aiSymbols, aiStrings, aiIdentifiers, aiVariables, aiKeywords };
inline constexpr int AttributeCount = 6;
extern const std::array<const char*, AttributeCount> AttributeNames;

class TAttribDetails {
public:
    explicit TAttribDetails(THighlighterKind kind = THighlighterKind::None, int tag = 0,
                            const TAttribDetails* parentScheme = nullptr);

    THighlighterKind HighlighterClass() const { return Kind; }
    int Tag() const { return TagValue; }
    const TAttribDetails* ParentScheme() const { return Parent; }

    TColor EditorColor() const { return EditorColorValue; }
    const std::string& Name() const { return NameValue; }
    const std::string& FontName() const { return FontNameValue; }
    int FontSize() const { return FontSizeValue; }
    const THighlightAttribute& Attribute(int index) const { return Attributes.at(index); }

    // Each setter stores only a changed value (strings compared case-sensitively) and then
    // marks the scheme modified and not yet applied.
    void SetEditorColor(TColor color);
    void SetName(const std::string& name);
    void SetFontName(const std::string& name);
    void SetFontSize(int size);
    void SetAttribute(int index, const THighlightAttribute& value);

    bool Modified() const { return ModifiedFlag; }
    void SetModified(bool value) { ModifiedFlag = value; }
    bool Applied() const { return AppliedFlag; }
    void SetApplied(bool value) { AppliedFlag = value; }

    // Copies the look (attributes, colour, font) and the name, through the setters.
    void Assign(const TAttribDetails& other);
    // Same look: the name does not count, the font name is compared ignoring case.
    bool Equals(const TAttribDetails& other) const;

    void SaveToStream(TSectionList& stream) const;
    void LoadFromStream(TSectionList& stream);

private:
    void OnChange();

    THighlighterKind Kind;
    int TagValue;
    const TAttribDetails* Parent;
    TColor EditorColorValue = clWhite;
    std::string NameValue;
    std::string FontNameValue = "Courier New";
    int FontSizeValue = 10;
    std::array<THighlightAttribute, AttributeCount> Attributes;
    bool ModifiedFlag = false;
    bool AppliedFlag = false;
};

// The user's named schemes, in order. The list owns them.
class TAttribList {
public:
    TAttribDetails& Add(std::unique_ptr<TAttribDetails> scheme);
    void Assign(const TAttribList& other);
    // First scheme whose name equals name ignoring case.
    TAttribDetails* byName(const std::string& name) const;
    void Clear() { Schemes.clear(); }
    bool Remove(const TAttribDetails* scheme);
    int Count() const { return static_cast<int>(Schemes.size()); }
    // The names, each with its scheme, in order.
    std::vector<std::pair<std::string, TAttribDetails*>> ToStrings() const;

    void SaveToStream(TSectionList& stream) const;
    void LoadFromStream(TSectionList& stream);

private:
    std::vector<std::unique_ptr<TAttribDetails>> Schemes;
};

// The six active schemes of a project. PHP draws the HTML around its blocks with the HTML
// scheme, so it is built with the HTML scheme as its parent.
inline constexpr int PhpHighlighterTag = 12345;

struct THighlightSchemes {
    THighlightSchemes() = default;
    THighlightSchemes(const THighlightSchemes&) = delete;
    THighlightSchemes& operator=(const THighlightSchemes&) = delete;
    TAttribDetails Perl{THighlighterKind::Perl};
    TAttribDetails HTML{THighlighterKind::HTML};
    TAttribDetails PHP{THighlighterKind::PHP, PhpHighlighterTag, &HTML};
    TAttribDetails SQL{THighlighterKind::SQL};
    TAttribDetails Batch{THighlighterKind::Batch};
    TAttribDetails General{THighlighterKind::General};

    std::array<TAttribDetails*, 6> All() { return {&Perl, &HTML, &PHP, &SQL, &Batch, &General}; }
    std::array<const TAttribDetails*, 6> All() const {
        return {&Perl, &HTML, &PHP, &SQL, &Batch, &General};
    }
    bool AnyModified() const;
};

} // namespace korvane
