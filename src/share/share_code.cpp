#include "share/share_code.h"

#include <array>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "settings/settings_table.h"

namespace tarvenna {
namespace {

constexpr std::string_view kAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr char kMark = 'T';
constexpr std::uint32_t kFormatVersion = 1;

// The code after its mark is one stream of bits, five to a symbol, most
// significant first. Its first symbol is the format version, so that a later
// format may lay out all the rest differently.
constexpr int kSymbolBits = 5;
constexpr int kVersionBits = 14;    // up to 16.383
constexpr int kGenerationBits = 8;
constexpr int kSettingsBits = 28;
constexpr int kWordBits = 32;       // the seed and the check value
constexpr int kChecksumBits = 16;
constexpr int kCheckedBits = kSymbolBits + kVersionBits + kGenerationBits + kSettingsBits + 2 * kWordBits;
constexpr int kStreamBits = kCheckedBits + kChecksumBits;
static_assert(kStreamBits % kSymbolBits == 0, "no bit of the code goes unused");
constexpr int kStreamSymbols = kStreamBits / kSymbolBits;
constexpr std::size_t kCodeLength = 1 + kStreamSymbols; // with the mark
constexpr std::size_t kGroupLength = 4;

// The bits the settings take in a code: a new setting needs a new format.
constexpr int SettingsBits()
{
    int bits = 0;
    for (const SettingRow& row : kSettingsTable) bits += row.codeBits;
    return bits;
}
static_assert(SettingsBits() == kSettingsBits, "the settings no longer fit the code's format");

class BitStream {
public:
    void Put(std::uint32_t value, int width)
    {
        for (int bit = width - 1; bit >= 0; --bit) bits_[written_++] = ((value >> bit) & 1u) != 0;
    }
    std::uint32_t Take(int width)
    {
        std::uint32_t value = 0;
        for (int i = 0; i < width; ++i) value = (value << 1) | (bits_[read_++] ? 1u : 0u);
        return value;
    }

    // CRC-16 with the CCITT polynomial over the first `count` bits. Like any
    // CRC of this degree it catches every error within 16 neighbouring bits,
    // so every changed symbol and every swap of two neighbours.
    std::uint32_t Checksum(std::size_t count) const
    {
        std::uint32_t crc = 0xFFFF;
        for (std::size_t i = 0; i < count; ++i) {
            const bool top = ((crc >> 15) & 1u) != bits_[i];
            crc = (crc << 1) & 0xFFFF;
            if (top) crc ^= 0x1021;
        }
        return crc;
    }

private:
    std::array<bool, kStreamBits> bits_{};
    std::size_t written_ = 0;
    std::size_t read_ = 0;
};

// The one-bit settings first, then the two-bit ones, each in table order:
// the layout of the codes players have shared.
template <typename Visit>
void ForEachInCodeOrder(Visit&& visit)
{
    for (const int width : {1, 2})
        for (const SettingRow& row : kSettingsTable)
            if (row.codeBits == width) visit(row);
}

void PutSettings(const Settings& settings, BitStream& bits)
{
    ForEachInCodeOrder([&](const SettingRow& row) {
        bits.Put(static_cast<std::uint32_t>(ValueOf(settings, row)), row.codeBits);
    });
}

// False when a choice holds a value that no setting has.
bool TakeSettings(BitStream& bits, Settings& settings)
{
    bool known = true;
    ForEachInCodeOrder([&](const SettingRow& row) {
        const int value = static_cast<int>(bits.Take(row.codeBits));
        if (value < ValueCount(row)) SetValue(settings, row, value);
        else known = false;
    });
    return known;
}

// 1098 -> "1.098"
std::string VersionText(int version)
{
    const int minor = version % 1000;
    return std::to_string(version / 1000) + "." + static_cast<char>('0' + minor / 100) +
           static_cast<char>('0' + minor / 10 % 10) + static_cast<char>('0' + minor % 10);
}

std::uint32_t Mask(int value, int width)
{
    return static_cast<std::uint32_t>(value) & ((1u << width) - 1);
}

// The code as symbols, upper case and without separators; or an error message.
struct Normalized {
    std::string symbols;
    std::string error;
};

// The character that starts `text` as U+XXXX, from its UTF-8 bytes, and
// how many bytes it takes; a byte that starts no character counts alone.
std::pair<char32_t, std::size_t> DecodeCharacter(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    const std::size_t length = lead < 0xC2 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 1;
    if (length == 1 || text.size() < length) return {lead, 1};
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return {lead, 1};
        code = (code << 6) | (byte(i) & 0x3F);
    }
    return {code, length};
}

// Characters that chat programs and word processors put in for a plain
// dash or space, by name.
const char* LookalikeName(char32_t code)
{
    switch (code) {
    case 0x00A0: return "no-break space";
    case 0x2002: return "en space";
    case 0x2003: return "em space";
    case 0x2009: return "thin space";
    case 0x200B: return "zero-width space";
    case 0x200C: return "zero-width non-joiner";
    case 0x200D: return "zero-width joiner";
    case 0x2010: return "hyphen";
    case 0x2011: return "non-breaking hyphen";
    case 0x2012: return "figure dash";
    case 0x2013: return "en dash";
    case 0x2014: return "em dash";
    case 0x2060: return "word joiner";
    case 0x202F: return "narrow no-break space";
    case 0x2212: return "minus sign";
    case 0x3000: return "ideographic space";
    case 0xFEFF: return "zero-width no-break space";
    case 0xFF0D: return "fullwidth hyphen-minus";
    default: return nullptr;
    }
}

std::string ForeignCharacterMessage(std::string_view text)
{
    const char raw = text.front();
    if (raw > ' ' && raw < 0x7F)
        return std::string("this share code has \"") + raw + "\" in it, which share codes never have";
    const char32_t code = DecodeCharacter(text).first;
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(code));
    const char* name = LookalikeName(code);
    std::string message = std::string("this share code has ") + number;
    if (name != nullptr) message += std::string(" (") + name + ")";
    message += " in it, which share codes never have";
    if (name != nullptr) message += ": type plain dashes and spaces instead";
    return message;
}

Normalized Normalize(std::string_view text)
{
    Normalized result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char raw = text[i];
        if (raw == '-' || raw == ' ' || raw == '\t' || raw == '\r' || raw == '\n') continue;
        char c = raw >= 'a' && raw <= 'z' ? static_cast<char>(raw - 'a' + 'A') : raw;
        if (c == 'I' || c == 'L') c = '1';
        if (c == 'O') c = '0';
        if (kAlphabet.find(c) == std::string_view::npos) {
            result.error = ForeignCharacterMessage(text.substr(i));
            return result;
        }
        result.symbols += c;
    }
    return result;
}

std::uint32_t SymbolValue(char symbol)
{
    return static_cast<std::uint32_t>(kAlphabet.find(symbol));
}

ShareCodeReading Refuse(ShareCodeError error, std::string message)
{
    ShareCodeReading reading;
    reading.error = error;
    reading.message = std::move(message);
    return reading;
}

// The checks that need no decoding: characters, mark, format and length.
std::optional<ShareCodeReading> RefuseShape(const Normalized& code)
{
    const std::string notACode = "this is not a share code: share codes start with T" + std::to_string(kFormatVersion);
    if (!code.error.empty()) return Refuse(ShareCodeError::Malformed, code.error);
    if (code.symbols.empty()) return Refuse(ShareCodeError::Malformed, "the share code is empty");
    if (code.symbols[0] != kMark) return Refuse(ShareCodeError::Malformed, notACode);
    if (code.symbols.size() >= 2) {
        const std::uint32_t format = SymbolValue(code.symbols[1]);
        if (format > kFormatVersion)
            return Refuse(ShareCodeError::Malformed, "this share code is of a newer kind (T" +
                                                         std::string(1, code.symbols[1]) + ") than this Tarvenna " +
                                                         VersionText(kTarvennaVersion) + " reads");
        if (format < kFormatVersion) return Refuse(ShareCodeError::Malformed, notACode);
    }
    if (code.symbols.size() != kCodeLength) {
        const bool shorter = code.symbols.size() < kCodeLength;
        return Refuse(ShareCodeError::Malformed, std::string("this share code is too ") + (shorter ? "short" : "long") +
                                                     ": it has " + std::to_string(code.symbols.size()) +
                                                     " letters and digits, where a share code has " +
                                                     std::to_string(kCodeLength));
    }
    return std::nullopt;
}

} // namespace

std::string EncodeShareCode(const SharedGame& game)
{
    return EncodeShareCode(game, ShareCodeOrigin{});
}

std::string EncodeShareCode(const SharedGame& game, const ShareCodeOrigin& origin)
{
    BitStream bits;
    bits.Put(kFormatVersion, kSymbolBits);
    bits.Put(Mask(origin.version, kVersionBits), kVersionBits);
    bits.Put(Mask(origin.generation, kGenerationBits), kGenerationBits);
    PutSettings(game.settings, bits);
    bits.Put(game.seed, kWordBits);
    bits.Put(game.checkValue, kWordBits);
    bits.Put(bits.Checksum(kCheckedBits), kChecksumBits);

    std::string code(1, kMark);
    code += kAlphabet[bits.Take(kSymbolBits)];
    for (std::size_t i = 1; i < kStreamSymbols; ++i) {
        if ((i - 1) % kGroupLength == 0) code += '-';
        code += kAlphabet[bits.Take(kSymbolBits)];
    }
    return code;
}

ShareCodeReading ReadShareCode(std::string_view text)
{
    const Normalized code = Normalize(text);
    if (auto refused = RefuseShape(code)) return *std::move(refused);

    BitStream bits;
    for (std::size_t i = 1; i < kCodeLength; ++i) bits.Put(SymbolValue(code.symbols[i]), kSymbolBits);
    const std::uint32_t checksum = bits.Checksum(kCheckedBits);

    ShareCodeReading reading;
    bits.Take(kSymbolBits); // the format, checked above
    reading.origin.version = static_cast<int>(bits.Take(kVersionBits));
    reading.origin.generation = static_cast<int>(bits.Take(kGenerationBits));
    Settings settings;
    const bool knownSettings = TakeSettings(bits, settings);
    const std::uint32_t seed = bits.Take(kWordBits);
    const std::uint32_t checkValue = bits.Take(kWordBits);
    if (bits.Take(kChecksumBits) != checksum)
        return Refuse(ShareCodeError::Checksum,
                      "this share code has a mistake in it (its check does not match): check it letter by letter");

    // Checked before the settings: another generation may have other ones.
    const std::string ours = VersionText(kTarvennaVersion);
    if (reading.origin.generation != kGeneration) {
        reading.error = ShareCodeError::OtherVersion;
        reading.message = reading.origin.version == kTarvennaVersion
                              ? "this share code was made by another build of Tarvenna " + ours +
                                    ", which makes different games from this one"
                              : "this share code was made by Tarvenna " + VersionText(reading.origin.version) +
                                    ", which makes different games from this Tarvenna " + ours;
        return reading;
    }
    if (!knownSettings) {
        reading.error = ShareCodeError::Settings;
        reading.message = "this share code holds a setting that this Tarvenna " + ours + " does not have";
        return reading;
    }
    if (const std::string_view conflict = SettingsConflict(settings); !conflict.empty()) {
        reading.error = ShareCodeError::Settings;
        reading.message = "this share code holds settings that cannot go together: " + std::string(conflict);
        return reading;
    }
    reading.game = {settings, seed, checkValue};
    return reading;
}

} // namespace tarvenna
