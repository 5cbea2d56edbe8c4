#include "model/form_fields.h"

#include "model/check_list.h"
#include "storage/name_value.h"
#include "storage/text_utils.h"
#include "storage/url_coding.h"

#include <utility>

namespace korvane {

std::string FormString(const std::vector<std::string>& formFields) {
    std::string form;
    for (const std::string& line : formFields) {
        if (!CheckListLineOn(line)) continue;
        const std::string entry = CheckListEntry(line);
        if (!form.empty()) form += '&';
        form += FormEncode(NamePart(entry)) + "=" + FormEncode(ValuePart(entry));
    }
    return form;
}

std::vector<std::string> ParamWords(const std::vector<std::string>& formFields) {
    std::vector<std::string> words;
    for (const std::string& line : formFields)
        if (CheckListLineOn(line)) words.push_back(ValuePart(CheckListEntry(line)));
    return words;
}

bool SendsQuery(std::uint8_t formSendType) {
    return formSendType == fstGetPost || formSendType == fstGet;
}

bool SendsPost(std::uint8_t formSendType) {
    return formSendType == fstGetPost || formSendType == fstPost;
}

std::vector<std::string> RunArguments(std::uint8_t formSendType,
                                      const std::vector<std::string>& formFields) {
    if (SendsQuery(formSendType)) {
        std::string form = FormString(formFields);
        if (form.empty()) return {};
        return {std::move(form)};
    }
    if (formSendType == fstParamsOnly) return ParamWords(formFields);
    return {};
}

} // namespace korvane
