// A dialog's controls as short strings a test compares whole.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

// The texts of the controls, "|" between them.
inline std::string Texts(platform::Dialog* d, const std::vector<int>& ids) {
    std::string out;
    for (int id : ids) out += (out.empty() ? "" : "|") + platform::DialogGetText(d, id);
    return out;
}
// The ids of the checked controls among these, blank-separated.
inline std::string Checked(platform::Dialog* d, const std::vector<int>& ids) {
    std::string out;
    for (int id : ids)
        if (platform::DialogIsChecked(d, id)) out += (out.empty() ? "" : " ") + std::to_string(id);
    return out;
}
// The ids of the greyed controls among these, blank-separated.
inline std::string Greyed(platform::Dialog* d, const std::vector<int>& ids) {
    std::string out;
    for (int id : ids)
        if (!platform::DialogIsEnabled(d, id)) out += (out.empty() ? "" : " ") + std::to_string(id);
    return out;
}
