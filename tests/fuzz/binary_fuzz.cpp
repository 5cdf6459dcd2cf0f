// A binary through the "Load Binary File" dialog. Input: a flag byte (bit 0
// ticks "Set USR address"), the load and USR address texts each ended by a
// newline, then the file. The load happens exactly when the addresses read
// as documented and the file fits below 10000h; otherwise the errors are shown
// and memory is untouched.
#include <optional>
#include <sstream>

#include "devices/binary_loader.h"
#include "resources/binary_loader_layout.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// The address rule of the dialog: at most 7 characters, "$" and hexadecimal
// digits or decimal digits alone, at most FFFFh.
std::optional<uint32_t> ModelAddress(std::string text) {
    text = text.substr(0, 7);
    bool hex = !text.empty() && text[0] == '$';
    auto value = fuzz::Digits(hex ? text.substr(1) : text, hex ? 16 : 10);
    if (!value || *value > 0xFFFF) return std::nullopt;
    return uint32_t(*value);
}

uint8_t before[65536];

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    std::string loadText, usrText;
    // Both address lines must end with a newline.
    if (!std::getline(in, loadText) || !std::getline(in, usrText) || in.eof()) return 0;
    const std::string file{std::istreambuf_iterator<char>(in), {}};
    const bool poke = data[0] & 1;

    fuzz::StartMachine();
    std::string path = fuzz::PutFile("file.bin", reinterpret_cast<const uint8_t*>(file.data()), file.size());
    std::memcpy(before, Machine::MemoryImage, sizeof before);
    using namespace BinaryLoaderLayout;
    platform::headless::QueueFileAnswer(path);
    bool stayedOpen = false;
    platform::headless::QueueDialogScript([&](platform::Dialog* d) {
        platform::headless::Click(d, kBrowse);
        if (platform::DialogIsChecked(d, kSetUsr) != poke) platform::headless::Click(d, kSetUsr);
        platform::headless::TypeText(d, kLoadAddress, loadText);
        platform::headless::TypeText(d, kUsrAddress, usrText);
        platform::headless::Click(d, platform::kDialogOk);
        stayedOpen = platform::headless::IsOpen(d);
    });
    bool ok = BinaryLoader::Dialog();

    auto load = ModelAddress(loadText), usr = ModelAddress(usrText);
    bool fits = load && !file.empty() && *load + file.size() <= 0x10000;
    bool expectLoad = load && (usr || !poke) && fits;
    FUZZ_CHECK(ok == expectLoad && stayedOpen == !expectLoad);
    FUZZ_CHECK(platform::headless::MessageBoxes().empty() == expectLoad);
    if (expectLoad) {
        FUZZ_CHECK(std::memcmp(Machine::MemoryImage + *load, file.data(), file.size()) == 0);
        FUZZ_CHECK(settings.binaryLoadAddress == int32_t(*load));
        if (poke) FUZZ_CHECK((Machine::MemoryImage[0xFAEB] | Machine::MemoryImage[0xFAEC] << 8) == int(*usr));
    } else {
        FUZZ_CHECK(std::memcmp(Machine::MemoryImage, before, sizeof before) == 0);
        const std::string& text = platform::headless::MessageBoxes().front().text;
        FUZZ_CHECK((text.find("Problem with load address") != std::string::npos) == !load);
        FUZZ_CHECK((text.find("Problem with usr address") != std::string::npos) == (poke && !usr));
    }
    return 0;
}
