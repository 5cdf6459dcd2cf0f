// Opening any file: the one road taken by files named on the command line,
// dropped on the window, chosen with File "Open..." or from File "Recent".
//
// The kind is decided by extension and content: a save state (by its magic,
// whatever the name), a CP6 tape, a cartridge image of 1-16384 bytes, a text
// to type, or a raw binary, which needs a load address (FILE@ADDR on the
// command line, the binary loader's dialog otherwise). Each kind then loads
// as its own menu command does. With auto-start on, a tape is followed by
// typing CLOAD and, once the program has loaded (the motor stops), RUN; a
// cartridge is started by a hard reset; a text is typed either way. A file
// refused (unknown, unreadable, empty, too large, or the machine busy with
// another file) leaves the machine untouched; every outcome is a notice.
//
// Use: Open (or OpenArgument for command-line words); OnFrame once per frame
// for the auto-start; CancelAutoStart at every reset. The recent list:
// Remember (Open does it), OpenRecent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace OpenFile {

enum class Kind { None, Tape, Cartridge, Text, State, Binary };

// Largest files taken: a cartridge, a binary (the 64K), a tape or a text.
constexpr int64_t kLargestCartridge = 16384;
constexpr int64_t kLargestBinary = 65536;
constexpr int64_t kLargestTape = 1 << 20;
constexpr int64_t kLargestText = 1 << 20;
// Leading D3h sync bytes that mark a recorded tape; the ROM waits for four.
constexpr int kTapeSyncBytes = 4;

struct Decision {
    Kind kind = Kind::None;
    std::string problem;  // why the file is refused (kind None)
};
// What the file is. `withAddress`: a load address was given (FILE@ADDR).
Decision Classify(const std::string& path, bool withAddress = false);

struct BinaryTarget {
    uint16_t load = 0;
    bool setUsr = false;
    uint16_t usr = 0;
};
// A command-line word: a path, or PATH@ADDR[,usr=ADDR] (decimal, $hex, 0xhex
// or hexh) unless the whole word names an existing file.
struct Argument {
    std::string path;
    std::optional<BinaryTarget> binary;
};
std::optional<Argument> ParseArgument(const std::string& word);

// Opens a file as its kind's command would; a binary without `binary` goes
// to the binary loader's dialog when `askForAddress`, else it is refused.
// False when the file was refused or its loader failed.
bool Open(const std::string& path, const BinaryTarget* binary = nullptr, bool askForAddress = true);
// A command-line word through ParseArgument and Open (no dialog).
bool OpenArgument(const std::string& word);

// Once per frame: types RUN when an auto-started tape has loaded.
void OnFrame();
// A reset ends a pending auto-start.
void CancelAutoStart();
// Whether an auto-started tape still waits for its RUN.
bool AutoStartPending();

// The recent list (settings.recentFiles): `path` first, made absolute, no
// duplicates, at most ten; saved at once.
void Remember(const std::string& path);
// Opens entry `index`; a file that no longer exists is dropped with a notice.
bool OpenRecent(int index);

}  // namespace OpenFile
