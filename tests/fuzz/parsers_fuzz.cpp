// The number and address parsers behind the dialogs and the runner's
// options, each against the rule its documentation gives.
#include <optional>

#include "devices/binary_loader.h"
#include "devices/printer.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// Runner numbers: decimal, "$hex", "0xhex" or "hexh".
std::optional<uint64_t> RunnerNumber(const std::string& t) {
    if (!t.empty() && t[0] == '$') return fuzz::Digits(t.substr(1), 16);
    if (t.size() > 2 && t[0] == '0' && (t[1] | 0x20) == 'x') return fuzz::Digits(t.substr(2), 16);
    if (t.size() > 1 && (t.back() | 0x20) == 'h') return fuzz::Digits(t.substr(0, t.size() - 1), 16);
    return fuzz::Digits(t, 10);
}

// A number field read as unsigned decimal: leading blanks, then digits only, at most 2^32-1.
std::optional<uint64_t> FieldNumber(const std::string& t) {
    size_t i = t.find_first_not_of(' ');
    auto value = fuzz::Digits(i == std::string::npos ? "" : t.substr(i), 10);
    return value && *value > 0xFFFFFFFFull ? std::nullopt : value;
}

constexpr platform::ControlDef kControls[] = {{1, platform::ControlKind::NumberField, "", 0, 0, 10, 10}};
constexpr platform::DialogLayout kLayout = {"numbers", 10, 10, kControls, 1};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    // Load-binary addresses: "$" and hexadecimal digits, or decimal digits, at most FFFFh.
    bool hex = !text.empty() && text[0] == '$';
    auto model = fuzz::Digits(hex ? text.substr(1) : text, hex ? 16 : 10);
    BinaryLoader::ParsedAddress parsed = BinaryLoader::ParseAddress(text);
    FUZZ_CHECK(parsed.isHex == hex);
    if (!model) FUZZ_CHECK(parsed.error == (hex ? BinaryLoader::AddressError::BadHex : BinaryLoader::AddressError::BadDecimal));
    else if (*model > 0xFFFF) FUZZ_CHECK(parsed.error == BinaryLoader::AddressError::OutOfRange);
    else FUZZ_CHECK(parsed.error == BinaryLoader::AddressError::None && parsed.value == *model);
    if (size >= 2) {
        uint16_t value = uint16_t(data[0] | data[1] << 8);
        for (bool form : {false, true}) {
            BinaryLoader::ParsedAddress back = BinaryLoader::ParseAddress(BinaryLoader::FormatAddress(value, form));
            FUZZ_CHECK(back.error == BinaryLoader::AddressError::None && back.value == value && back.isHex == form);
        }
    }

    // Runner option numbers, against two limits.
    auto number = RunnerNumber(text);
    for (uint32_t maximum : {255u, 0xFFFFFFFFu}) {
        auto got = RunHelpers::ParseNumber(text, maximum);
        FUZZ_CHECK(got.has_value() == (number && *number <= maximum));
        if (got) FUZZ_CHECK(*got == *number);
    }
    RunHelpers::ParseScheduledKey(text);
    RunHelpers::ParsePointer(text);
    if (auto load = RunHelpers::ParseBinaryLoad(text)) FUZZ_CHECK(!load->path.empty());

    // A dialog's number field, and the printer width taken from it.
    auto field = FieldNumber(text);
    platform::headless::ResetAll();
    platform::headless::QueueDialogScript([&](platform::Dialog* d) {
        platform::headless::TypeText(d, 1, text);
        uint32_t value = 12345;
        bool valid = platform::DialogGetNumber(d, 1, &value);
        FUZZ_CHECK(valid == field.has_value() && value == (field ? uint32_t(*field) : 0));
        int32_t width = PrinterPort::ClampWidth(valid, value);
        FUZZ_CHECK(width == (!valid || value < 2 ? 32 : int32_t(std::min<uint32_t>(value, 65535))));
    });
    platform::RunDialog(kLayout, [](platform::Dialog*, platform::DialogEvent, int, void*) {}, nullptr);
    return 0;
}
