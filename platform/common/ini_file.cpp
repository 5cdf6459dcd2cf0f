// Private-profile INI access. Placeholder until the INI module lands: reads
// give the fallback, writes fail.
#include "platform/platform.h"

namespace platform {

std::string IniGetString(const std::string&, const std::string&, const std::string&, const std::string& fallback) {
    return fallback;
}

int32_t IniGetInt(const std::string&, const std::string&, const std::string&, int32_t fallback) { return fallback; }

bool IniWriteString(const std::string&, const std::string&, const std::string&, const std::string&) { return false; }

}  // namespace platform
