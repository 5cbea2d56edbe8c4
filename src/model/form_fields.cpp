#include "model/form_fields.h"

#include "model/check_list.h"
#include "storage/name_value.h"
#include "storage/text_utils.h"
#include "storage/url_coding.h"

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

std::string ParamString(const std::vector<std::string>& formFields) {
    std::string params;
    bool first = true;
    for (const std::string& line : formFields) {
        if (!CheckListLineOn(line)) continue;
        if (!first) params += ' ';
        params += ValuePart(CheckListEntry(line));
        first = false;
    }
    return params;
}

bool SendsQuery(std::uint8_t formSendType) {
    return formSendType == fstGetPost || formSendType == fstGet;
}

bool SendsPost(std::uint8_t formSendType) {
    return formSendType == fstGetPost || formSendType == fstPost;
}

std::string RunArguments(std::uint8_t formSendType, const std::vector<std::string>& formFields) {
    if (SendsQuery(formSendType)) {
        const std::string form = FormString(formFields);
        return form.empty() ? std::string() : " " + form;
    }
    if (formSendType == fstParamsOnly) {
        const std::string params = ParamString(formFields);
        return params.empty() ? std::string() : " " + params;
    }
    return {};
}

} // namespace korvane
