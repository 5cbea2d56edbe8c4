#pragma once
// A page's form fields as a run sends them: a form string (name=value pairs, URL-encoded, as a
// browser sends a form) or a parameter string (the plain values), and where each goes for
// the page's form send type.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// The page's form send type.
enum TFormSendType : std::uint8_t {
    fstNone = 0,
    fstGetPost = 1,
    fstGet = 2,
    fstPost = 3,
    fstParamsOnly = 4,
};

// The switched-on check-list lines as name=value pairs joined with "&", encoded.
std::string FormString(const std::vector<std::string>& formFields);
// The values of the switched-on lines, unencoded, one word each (blanks and quotes included).
std::vector<std::string> ParamWords(const std::vector<std::string>& formFields);

// Whether the form string goes into the query string (and the arguments), or is posted.
bool SendsQuery(std::uint8_t formSendType);
bool SendsPost(std::uint8_t formSendType);

// The arguments an interactive run passes after the script: the form string as one word, or
// each field's value as a word of its own, or none.
std::vector<std::string> RunArguments(std::uint8_t formSendType,
                                      const std::vector<std::string>& formFields);

} // namespace korvane
