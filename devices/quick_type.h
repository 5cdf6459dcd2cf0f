// Quick type and paste: text typed into the machine one character every
// second interrupt-enabled frame.
#pragma once

#include <string>

namespace QuickType {

void TypeFile();
bool TypeFilePath(const std::string& path);
void Paste();
bool FeedFrame();
void Stop();
bool IsActive();

}  // namespace QuickType
