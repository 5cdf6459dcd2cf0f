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
// The ids among these whose control is checked (or greyed), blank-separated.
inline std::string Checked(platform::Dialog* d, const std::vector<int>& ids, bool greyed = false) {
    std::string out;
    for (int id : ids)
        if (greyed ? !platform::DialogIsEnabled(d, id) : platform::DialogIsChecked(d, id))
            out += (out.empty() ? "" : " ") + std::to_string(id);
    return out;
}
inline std::string Greyed(platform::Dialog* d, const std::vector<int>& ids) { return Checked(d, ids, true); }
