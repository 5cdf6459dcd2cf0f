// Opening any file by its kind, the auto-start and the recent list.
#include "devices/open_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "config/settings.h"
#include "devices/binary_loader.h"
#include "devices/cassette.h"
#include "devices/host_file.h"
#include "devices/quick_type.h"
#include "machine/machine.h"
#include "platform/platform.h"
#include "state/save_state.h"

namespace OpenFile {

namespace {

constexpr uint8_t kTapeSync = 0xD3;
constexpr char kCartridgeSignature[4] = {'Z', 'V', 'G', 'R'};

enum class AutoStart { Idle, WaitMotorOn, WaitMotorOff };
AutoStart autoStart = AutoStart::Idle;

std::string extensionOf(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    if (!ext.empty()) ext.erase(0, 1);
    for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string nameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Text as this host writes it: printable ASCII, tab, line ends, form feed and
// any byte of 80h and above (UTF-8); a NUL or another control byte is binary.
bool looksLikeText(const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes)
        if (b < 0x20 && b != 0x09 && b != 0x0A && b != 0x0C && b != 0x0D) return false;
    return bytes.size() > 0 && std::find(bytes.begin(), bytes.end(), 0x7F) == bytes.end();
}

bool signedCartridge(const std::vector<uint8_t>& bytes, int64_t size) {
    return size <= kLargestCartridge && bytes.size() >= 4 && std::memcmp(bytes.data(), kCartridgeSignature, 4) == 0;
}

bool recordedTape(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < size_t(kTapeSyncBytes)) return false;
    return std::all_of(bytes.begin(), bytes.begin() + kTapeSyncBytes, [](uint8_t b) { return b == kTapeSync; });
}

Decision refuse(const std::string& why) { return Decision{Kind::None, why}; }

Decision sized(Kind kind, int64_t size, int64_t largest, const char* what) {
    if (size > largest)
        return refuse("it is too large for " + std::string(what) + " (at most " + std::to_string(largest) + " bytes)");
    return Decision{kind, {}};
}

// Decimal, "$hex", "0xhex" or "hexh", at most FFFFh.
std::optional<uint16_t> parseAddress(std::string text) {
    int base = 10;
    if (!text.empty() && text[0] == '$') text.erase(0, 1), base = 16;
    else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.erase(0, 2), base = 16;
    else if (text.size() > 1 && (text.back() == 'h' || text.back() == 'H')) text.pop_back(), base = 16;
    if (text.empty() || text.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                    : base == 16 && std::isxdigit(static_cast<unsigned char>(c)) ? std::tolower(c) - 'a' + 10
                                                                                  : -1;
        if (digit < 0) return std::nullopt;
        value = value * uint32_t(base) + uint32_t(digit);
        if (value > 0xFFFF) return std::nullopt;
    }
    return uint16_t(value);
}

bool refused(const std::string& path, const std::string& why) {
    platform::ShowNotice("Not opened: " + nameOf(path) + ": " + why);
    return false;
}

bool opened(const std::string& path, const std::string& what) {
    platform::ShowNotice(what + " " + nameOf(path));
    Remember(path);
    return true;
}

}  // namespace

Decision Classify(const std::string& path, bool withAddress) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return refuse("it is a folder");
    // A pipe or a device could block or never end.
    if (std::filesystem::exists(path, error) && !std::filesystem::is_regular_file(path, error))
        return refuse("it is not a plain file");
    std::FILE* file = HostFile::OpenForReading(path);
    if (!file) return refuse("it cannot be read");
    int64_t size = HostFile::SizeOf(file);
    // The head decides the kind; a text is checked whole.
    std::vector<uint8_t> bytes(size_t(std::clamp<int64_t>(size, 0, kLargestText)));
    size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    if (size < 0 || got != bytes.size()) return refuse("it cannot be read");
    if (size == 0) return refuse("it is empty");

    if (bytes.size() >= sizeof SaveState::kMagic && std::memcmp(bytes.data(), SaveState::kMagic, sizeof SaveState::kMagic) == 0)
        return Decision{Kind::State, {}};
    if (withAddress) return sized(Kind::Binary, size, kLargestBinary, "a binary");
    std::string ext = extensionOf(path);
    if (ext == SaveState::kFileExtension) return refuse("it is not a save state");
    if (ext == "cp6") return sized(Kind::Tape, size, kLargestTape, "a tape");
    if (ext == "rom") return sized(Kind::Cartridge, size, kLargestCartridge, "a cartridge");
    if (ext == "bin" || ext == "obj") {
        if (signedCartridge(bytes, size)) return Decision{Kind::Cartridge, {}};
        return sized(Kind::Binary, size, kLargestBinary, "a binary");
    }
    // Past the names that settle it, a signature in the content wins.
    if (signedCartridge(bytes, size)) return Decision{Kind::Cartridge, {}};
    if (recordedTape(bytes)) return sized(Kind::Tape, size, kLargestTape, "a tape");
    // A text so named may hold any byte but NUL: quick type passes the others over.
    bool textName = ext == "txt" || ext == "bas";
    if (textName && std::find(bytes.begin(), bytes.end(), 0) == bytes.end())
        return sized(Kind::Text, size, kLargestText, "a text");
    if (looksLikeText(bytes)) return sized(Kind::Text, size, kLargestText, "a text");
    return refuse("it is no tape, cartridge, text or save state (a binary needs FILE@ADDR)");
}

std::optional<Argument> ParseArgument(const std::string& word) {
    std::error_code error;
    size_t at = word.rfind('@');
    if (at == std::string::npos || std::filesystem::exists(word, error)) return Argument{word, std::nullopt};
    std::string addresses = word.substr(at + 1);
    BinaryTarget target;
    size_t comma = addresses.find(',');
    auto load = parseAddress(addresses.substr(0, comma));
    if (!load || at == 0) return std::nullopt;
    target.load = *load;
    if (comma != std::string::npos) {
        std::string usr = addresses.substr(comma + 1);
        if (usr.rfind("usr=", 0) != 0) return std::nullopt;
        auto value = parseAddress(usr.substr(4));
        if (!value) return std::nullopt;
        target.setUsr = true;
        target.usr = *value;
    }
    return Argument{word.substr(0, at), target};
}

bool Open(const std::string& path, const BinaryTarget* binary, bool askForAddress) {
    Decision decision = Classify(path, binary != nullptr);
    const bool start = settings.autoStart != 0;
    switch (decision.kind) {
        case Kind::None: return refused(path, decision.problem);
        case Kind::State: {
            std::string error;
            if (!SaveState::LoadFromPath(path, &error)) return refused(path, error);
            CancelAutoStart();
            return opened(path, "State loaded:");
        }
        case Kind::Tape:
            // As "Play Cassette File..." refuses.
            if (CassetteDeck::tapeLoaded) return refused(path, "a tape is playing");
            if (QuickType::IsActive()) return refused(path, "the machine is still typing");
            if (!CassetteDeck::LoadFile(path)) return refused(path, "it cannot be read");
            if (start && QuickType::TypeText("CLOAD\r")) autoStart = AutoStart::WaitMotorOn;
            return opened(path, start ? "Tape loading:" : "Tape ready to play:");
        case Kind::Cartridge:
            // As "Load Game ROM..." refuses.
            if (QuickType::IsActive()) return refused(path, "the machine is still typing");
            if (CassetteDeck::tapeLoaded && CassetteDeck::cassetteMotorOn) return refused(path, "a tape is loading");
            if (!Machine::LoadGameRomFile(path)) return refused(path, "it cannot be read");
            if (start) Machine::Reset(2);
            return opened(path, start ? "Cartridge started:" : "Cartridge inserted:");
        case Kind::Text:
            if (QuickType::IsActive()) return refused(path, "the machine is still typing");
            if (!QuickType::TypeFilePath(path)) return refused(path, "it cannot be read");
            return opened(path, "Typing");
        case Kind::Binary: {
            if (!binary) {
                if (!askForAddress) return refused(path, "a binary needs a load address: FILE@ADDR[,usr=ADDR]");
                if (!BinaryLoader::Dialog(path)) return false;  // cancelled: nothing loaded
                Remember(path);
                return true;  // the dialog has shown its own errors
            }
            std::string error = BinaryLoader::LoadFileAt(path, binary->load, binary->setUsr, binary->usr);
            if (!error.empty()) return refused(path, error);
            char where[16];
            std::snprintf(where, sizeof where, " at $%04X", binary->load);
            platform::ShowNotice("Binary loaded: " + nameOf(path) + where);
            Remember(path);
            return true;
        }
    }
    return false;
}

bool OpenArgument(const std::string& word) {
    std::optional<Argument> argument = ParseArgument(word);
    if (!argument) return refused(word, "not FILE or FILE@ADDR[,usr=ADDR]");
    return Open(argument->path, argument->binary ? &*argument->binary : nullptr, false);
}

void OnFrame() {
    switch (autoStart) {
        case AutoStart::Idle: return;
        case AutoStart::WaitMotorOn:
            if (CassetteDeck::cassetteMotorOn) autoStart = AutoStart::WaitMotorOff;
            else if (!CassetteDeck::HasTape()) autoStart = AutoStart::Idle;  // taken out before CLOAD ran
            return;
        case AutoStart::WaitMotorOff:
            // CLOAD stops the motor once the program is in (or the load failed: RUN then finds none).
            if (!CassetteDeck::cassetteMotorOn && QuickType::TypeText("RUN\r")) autoStart = AutoStart::Idle;
            return;
    }
}

void CancelAutoStart() { autoStart = AutoStart::Idle; }
bool AutoStartPending() { return autoStart != AutoStart::Idle; }

void Remember(const std::string& path) {
    std::error_code error;
    std::string absolute = std::filesystem::absolute(path, error).lexically_normal().string();
    if (error || absolute.size() >= size_t(kPathSize)) return;  // a path the list cannot hold whole
    std::vector<std::string> list{absolute};
    for (const auto& entry : settings.recentFiles)
        if (entry[0] && absolute != entry && list.size() < size_t(kRecentFiles)) list.emplace_back(entry);
    for (int i = 0; i < kRecentFiles; ++i) setPath(settings.recentFiles[i], i < int(list.size()) ? list[size_t(i)] : "");
    Settings::SaveRecent();
}

bool OpenRecent(int index) {
    if (index < 0 || index >= kRecentFiles || !settings.recentFiles[index][0]) return false;
    std::string path = settings.recentFiles[index];
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        for (int i = index; i + 1 < kRecentFiles; ++i) std::memcpy(settings.recentFiles[i], settings.recentFiles[i + 1], kPathSize);
        settings.recentFiles[kRecentFiles - 1][0] = '\0';
        Settings::SaveRecent();
        platform::ShowNotice("Gone from Recent: " + path + " no longer exists");
        return false;
    }
    return Open(path);
}

}  // namespace OpenFile
