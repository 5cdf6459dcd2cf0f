// Private-profile INI files: read a key, write a key, keep everything else.
//
// The file is kept as its lines, each with its own line end. A read parses it
// and looks the key up; a write changes or adds one line and replaces the
// whole file through SafeFile (a temporary renamed over it), so a crash or a
// full disk leaves either the old file or the new one, never a mixture.
// Sections, keys, comments and blank lines the program does not know stay
// where they are; new lines take the first line's end.
//
// Syntax accepted: "[section]" lines, "key=value" lines, comments starting
// with ';' or '#'. Names compare case-insensitively (ASCII); blanks around
// names and values are ignored. Quotes are kept as part of the value, so
// whatever is written reads back the same. When a section or key appears
// twice, the first one counts.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace platform {

namespace {

enum class LineKind { Other, Section, Key };

// One line as the lookups see it: names in lower case for case-blind compares.
struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string name;
    std::string value;
};

struct IniText {
    std::vector<std::string> lines;  // without their line ends
    std::vector<std::string> ends;   // each line's own end: "\r\n", "\n", or "" for a last line without one
    std::vector<ParsedLine> parsed;  // one per line
    std::string lineEnd = "\n";      // the first line's end, for new lines
};

std::string lowered(const std::string& s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

std::string trim(const std::string& s) {
    size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// "[name]" opens a section; "key=value" is a key unless it is a comment.
ParsedLine parseLine(const std::string& line) {
    ParsedLine p;
    std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return p;
    if (t[0] == '[') {
        size_t close = t.find(']');
        if (close != std::string::npos) {
            p.kind = LineKind::Section;
            p.name = lowered(trim(t.substr(1, close - 1)));
        }
        return p;
    }
    size_t eq = t.find('=');
    if (eq == std::string::npos) return p;
    std::string key = trim(t.substr(0, eq));
    if (key.empty()) return p;
    p.kind = LineKind::Key;
    p.name = lowered(key);
    p.value = trim(t.substr(eq + 1));
    return p;
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult readBytes(const std::string& path, std::string* data) {
    // Plain descriptors: a lookup costs no stream buffer.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    data->clear();
    char buffer[8192];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0) {
            if (errno == EINTR) continue;
            break;
        }
        data->append(buffer, size_t(n));
    }
    ::close(fd);
    return n < 0 ? ReadResult::Failed : ReadResult::Ok;
}

void parseText(const std::string& data, IniText* text) {
    text->lines.clear();
    text->ends.clear();
    text->parsed.clear();
    size_t firstBreak = data.find('\n');
    text->lineEnd = (firstBreak != std::string::npos && firstBreak > 0 && data[firstBreak - 1] == '\r') ? "\r\n" : "\n";
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        std::string line = data.substr(start, end - start);
        std::string lineEnd = end < data.size() ? "\n" : "";
        if (!lineEnd.empty() && !line.empty() && line.back() == '\r') {
            line.pop_back();
            lineEnd = "\r\n";
        }
        text->ends.push_back(lineEnd);
        // A byte-order mark from a Windows editor is kept but not part of the first name.
        bool bom = start == 0 && line.compare(0, 3, "\xEF\xBB\xBF") == 0;
        text->parsed.push_back(parseLine(bom ? line.substr(3) : line));
        text->lines.push_back(std::move(line));
        start = end + 1;
    }
}

ReadResult readIni(const std::string& path, IniText* text) {
    std::string data;
    ReadResult result = readBytes(path, &data);
    if (result == ReadResult::Ok) parseText(data, text);
    return result;
}

// Index of the section's header line, or -1.
int findSection(const IniText& text, const std::string& lowerSection) {
    for (size_t i = 0; i < text.parsed.size(); ++i)
        if (text.parsed[i].kind == LineKind::Section && text.parsed[i].name == lowerSection) return int(i);
    return -1;
}

// One past the last line of the section whose header is at `header`.
int sectionEnd(const IniText& text, int header) {
    size_t i = size_t(header) + 1;
    while (i < text.parsed.size() && text.parsed[i].kind != LineKind::Section) ++i;
    return int(i);
}

// Start-up reads hundreds of keys from one file: the file is read each time,
// but parsed and indexed again only when its bytes changed.
struct ReadCache {
    std::string path;
    std::string data;
    IniText text;
    // "section\0key" (lower case) to the line that counts: the first key of
    // that name under the first header of that section.
    std::unordered_map<std::string, size_t> index;
    bool valid = false;
};

void indexKeys(const IniText& text, std::unordered_map<std::string, size_t>* index) {
    index->clear();
    std::unordered_set<std::string> sectionsSeen;
    const std::string* section = nullptr;  // the section being indexed, or none
    for (size_t i = 0; i < text.parsed.size(); ++i) {
        const ParsedLine& p = text.parsed[i];
        if (p.kind == LineKind::Section) section = sectionsSeen.insert(p.name).second ? &p.name : nullptr;
        else if (p.kind == LineKind::Key && section) index->emplace(*section + '\0' + p.name, i);
    }
}

const ReadCache* parsedFile(const std::string& path) {
    static ReadCache c;
    static std::string data;  // reused: a lookup reads the file without allocating
    if (readBytes(path, &data) != ReadResult::Ok) return nullptr;
    if (!(c.valid && c.path == path && c.data == data)) {
        parseText(data, &c.text);
        indexKeys(c.text, &c.index);
        c.path = path;
        c.data = data;
        c.valid = true;
    }
    return &c;
}

bool lookUp(const std::string& path, const std::string& section, const std::string& key, std::string* value) {
    const ReadCache* file = parsedFile(path);
    if (!file) return false;
    auto at = file->index.find(lowered(section) + '\0' + lowered(key));
    if (at == file->index.end()) return false;
    *value = file->text.parsed[at->second].value;
    return true;
}

bool hasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// Names and values that would change the file's structure are refused, so a
// stray path or key can never inject sections or keys.
bool writable(const std::string& section, const std::string& key, const std::string& value) {
    if (section.empty() || hasLineBreak(section) || section.find(']') != std::string::npos) return false;
    if (trim(section) != section) return false;
    if (key.empty() || hasLineBreak(key) || key.find('=') != std::string::npos || trim(key) != key) return false;
    if (key[0] == ';' || key[0] == '#' || key[0] == '[') return false;
    return !hasLineBreak(value);
}

void setLine(IniText* text, size_t at, const std::string& line) {
    text->lines[at] = line;
    text->parsed[at] = parseLine(line);
}

void insertLine(IniText* text, size_t at, const std::string& line) {
    std::string end = text->lineEnd;
    // After a last line without an end: that line gets one, the new last line none.
    if (at == text->lines.size() && at > 0 && text->ends.back().empty()) std::swap(end, text->ends.back());
    text->lines.insert(text->lines.begin() + long(at), line);
    text->ends.insert(text->ends.begin() + long(at), end);
    text->parsed.insert(text->parsed.begin() + long(at), parseLine(line));
}

// Sets the keys in order, as one call per key would: an existing key's line
// is replaced, a new key goes after the section's last non-blank line (before
// the blank lines that separate it from the next section), a new section at
// the end of the file.
void setKeys(IniText* text, const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries) {
    int header = findSection(*text, lowered(section));
    if (header < 0) {
        if (!text->lines.empty() && !trim(text->lines.back()).empty()) insertLine(text, text->lines.size(), "");
        header = int(text->lines.size());
        insertLine(text, text->lines.size(), "[" + section + "]");
    }
    int end = sectionEnd(*text, header);
    std::unordered_map<std::string, size_t> keys;  // the first line of each key name
    for (int i = header + 1; i < end; ++i)
        if (text->parsed[size_t(i)].kind == LineKind::Key) keys.emplace(text->parsed[size_t(i)].name, size_t(i));
    size_t insert = size_t(end);
    while (insert > size_t(header) + 1 && trim(text->lines[insert - 1]).empty()) --insert;
    for (const auto& [key, value] : entries) {
        std::string line = key + "=" + value;
        auto at = keys.find(lowered(key));
        if (at != keys.end()) {
            setLine(text, at->second, line);
        } else {
            // Every key of the section lies before the insertion point: no index moves.
            insertLine(text, insert, line);
            keys.emplace(lowered(key), insert++);
        }
    }
}

bool replaceFile(const std::string& path, const IniText& text) {
    std::string data;
    for (size_t i = 0; i < text.lines.size(); ++i) data += text.lines[i] + text.ends[i];
    return WriteWholeFile(path, data.data(), data.size(), true, nullptr);
}

}  // namespace

std::string IniGetString(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& fallback) {
    std::string value;
    return lookUp(path, section, key, &value) ? value : fallback;
}

int32_t IniGetInt(const std::string& path, const std::string& section, const std::string& key, int32_t fallback) {
    // Leading blanks, an optional sign, then decimal digits; anything after the
    // digits is ignored ("12abc" is 12). A value with no digits at all keeps
    // the fallback, like a missing key. Values beyond 32 bits saturate.
    std::string value;
    if (!lookUp(path, section, key, &value)) return fallback;
    size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) negative = value[i++] == '-';
    if (i >= value.size() || value[i] < '0' || value[i] > '9') return fallback;
    int64_t n = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        n = n * 10 + (value[i] - '0');
        if (n > int64_t(INT32_MAX) + 1) n = int64_t(INT32_MAX) + 1;
    }
    if (negative) n = -n;
    if (n > INT32_MAX) n = INT32_MAX;
    return int32_t(n);
}

bool IniWriteStrings(const std::string& path, const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& entries) {
    for (const auto& [key, value] : entries)
        if (!writable(section, key, value)) return false;
    if (entries.empty()) return true;
    IniText text;
    ReadResult read = readIni(path, &text);
    // A file that exists but cannot be read is left alone rather than replaced.
    if (read == ReadResult::Failed) return false;
    setKeys(&text, section, entries);
    return replaceFile(path, text);
}

bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
    return IniWriteStrings(path, section, {{key, value}});
}

}  // namespace platform
