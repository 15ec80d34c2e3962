#include "share/share_code.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/rng.h"
#include "settings/settings_table.h"
#include "core/version.h"
#include "support/random_word.h"

namespace tarvenna {
namespace {

constexpr std::string_view kAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

Settings RandomSettings(Rng& rng)
{
    Settings settings;
    for (const SettingRow& row : kSettingsTable)
        SetValue(settings, row, static_cast<int>(rng.Below(static_cast<std::uint32_t>(ValueCount(row)))));
    return settings;
}

// Games whose settings the dialog can produce, from a fixed draw.
std::vector<SharedGame> SampleGames(std::size_t count, std::uint32_t seed)
{
    Rng rng(seed);
    std::vector<SharedGame> games;
    while (games.size() < count) {
        const SharedGame game{RandomSettings(rng), RandomWord(rng), RandomWord(rng)};
        if (*SettingsConflict(game.settings) == '\0') games.push_back(game);
    }
    return games;
}

// "T1-", then groups of four symbols, the last perhaps shorter.
bool WellFormed(const std::string& code)
{
    for (std::size_t i = 3; i < code.size(); ++i)
        if ((i - 3) % 5 == 4 ? code[i] != '-' : kAlphabet.find(code[i]) == std::string_view::npos) return false;
    return code.starts_with("T1-") && !code.ends_with('-');
}

void ExpectRoundTrip(const SharedGame& game)
{
    const std::string code = EncodeShareCode(game);
    EXPECT_TRUE(WellFormed(code)) << code;
    const ShareCodeReading reading = ReadShareCode(code);
    ASSERT_EQ(reading.error, ShareCodeError::None) << code << ": " << reading.message;
    EXPECT_TRUE(reading.message.empty());
    EXPECT_EQ(reading.game, game) << code;
    EXPECT_EQ(reading.origin, ShareCodeOrigin{});
}

// "1.098", read from the version string rather than from the code's own
// formatting.
std::string OurVersionText()
{
    const std::string_view text = kVersionString;
    const std::size_t start = text.find(' ') + 1;
    return std::string(text.substr(start, text.find(' ', start) - start));
}

// Positions of the symbols of a code, dashes left out.
std::vector<std::size_t> SymbolPositions(const std::string& code)
{
    std::vector<std::size_t> positions;
    for (std::size_t i = 0; i < code.size(); ++i)
        if (code[i] != '-') positions.push_back(i);
    return positions;
}

void ExpectPlayerMessage(const ShareCodeReading& reading)
{
    ASSERT_FALSE(reading.message.empty());
    EXPECT_EQ(reading.message.find('\n'), std::string::npos) << reading.message;
    EXPECT_NE(reading.message.back(), '.') << reading.message;
}

// 100,000 draws cover every value of every setting many times over, and
// with every other setting; the first 36 games take the extreme seeds and
// check values, each pair once.
TEST(ShareCode, SampledGamesWithAnySeedAndCheckValueRoundTrip)
{
    const std::uint32_t extremes[] = {0, 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
    std::vector<SharedGame> games = SampleGames(100000, 2024);
    for (std::size_t i = 0; i < 36; ++i) games[i].seed = extremes[i % 6], games[i].checkValue = extremes[i / 6];
    for (const SharedGame& game : games) {
        ExpectRoundTrip(game);
        if (testing::Test::HasFailure()) return;
    }
}

std::string Replaced(std::string code, char from, char to)
{
    std::replace(code.begin(), code.end(), from, to);
    return code;
}

// Each variant puts in one way of typing the code or more, so one that is
// not understood fails its variant.
TEST(ShareCode, CaseSeparatorsAndLookAlikeLettersAreReadAsTheCode)
{
    const std::vector<std::pair<const char*, std::function<std::string(std::string)>>> variants = {
        {"lower case, i for 1, o for 0",
         [](std::string code) {
             for (char& c : code) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
             return Replaced(Replaced(code, '1', 'i'), '0', 'o');
         }},
        {"I for 1, O for 0", [](std::string code) { return Replaced(Replaced(code, '1', 'I'), '0', 'O'); }},
        {"L for 1", [](std::string code) { return Replaced(code, '1', 'L'); }},
        {"l for 1", [](std::string code) { return Replaced(code, '1', 'l'); }},
        {"no dashes, white space around",
         [](std::string code) {
             std::erase(code, '-');
             return " \t" + code + "\r\n";
         }},
        {"spaces for dashes", [](std::string code) { return Replaced(code, '-', ' '); }},
        {"dashes doubled", [](std::string code) { return "-" + code.insert(5, "-") + "--"; }},
    };
    int withZero = 0;
    int withOne = 0;
    for (const SharedGame& game : SampleGames(200, 11)) {
        const std::string code = EncodeShareCode(game);
        withZero += code.find('0') != std::string::npos;
        withOne += code.find('1', 2) != std::string::npos;
        for (const auto& [why, apply] : variants) {
            const std::string typed = apply(code);
            SCOPED_TRACE(testing::Message() << why << ": " << typed);
            const ShareCodeReading reading = ReadShareCode(typed);
            ASSERT_EQ(reading.error, ShareCodeError::None) << reading.message;
            EXPECT_EQ(reading.game, game);
        }
    }
    EXPECT_GT(withZero, 50);
    EXPECT_GT(withOne, 50);
}

// The checksum is linear: whether a changed symbol is caught does not depend
// on the code it is in, so ten codes try every change of every symbol. Swaps
// of neighbours depend on the two symbols, so many codes are tried.
TEST(ShareCode, OneChangedCharacterOrTwoSwappedNeighboursFailTheChecksum)
{
    const std::vector<SharedGame> games = SampleGames(300, 3);
    int swaps = 0;
    for (std::size_t g = 0; g < games.size(); ++g) {
        const std::string code = EncodeShareCode(games[g]);
        const std::vector<std::size_t> at = SymbolPositions(code);
        for (std::size_t p = 0; g < 10 && p < at.size(); ++p) {
            for (const char symbol : kAlphabet) {
                std::string typed = code;
                if (typed[at[p]] == symbol) continue;
                typed[at[p]] = symbol;
                SCOPED_TRACE(typed);
                const ShareCodeReading reading = ReadShareCode(typed);
                // The mark and the format are checked before the checksum.
                EXPECT_EQ(reading.error, p < 2 ? ShareCodeError::Malformed : ShareCodeError::Checksum);
                ExpectPlayerMessage(reading);
            }
        }
        for (std::size_t p = 2; p + 1 < at.size(); ++p) {
            std::string typed = code;
            if (typed[at[p]] == typed[at[p + 1]]) continue;
            std::swap(typed[at[p]], typed[at[p + 1]]);
            ++swaps;
            EXPECT_EQ(ReadShareCode(typed).error, ShareCodeError::Checksum) << typed;
        }
    }
    EXPECT_GT(swaps, 6000);
}

TEST(ShareCode, WhatIsNoCodeIsRefusedAsMalformed)
{
    const std::string code = EncodeShareCode({Settings{}, 12345, 67890});
    const std::string tail = code.substr(2);
    struct Case {
        std::string text;
        const char* why;
        const char* mentions;
    };
    const std::vector<Case> cases = {
        {"", "empty", "empty"},
        {" - -\r\n", "separators only", "empty"},
        {"T", "the mark alone", "short"},
        {code.substr(0, code.size() - 1), "one symbol short", "short"},
        {code + "0", "one symbol long", "long"},
        {code + std::string(100000, '0'), "far too long", "long"},
        {code.substr(0, 5) + "U" + code.substr(6), "U, which Crockford leaves out", "\"U\""},
        {code.substr(0, 5) + "*" + code.substr(6), "punctuation", "\"*\""},
        {code.substr(0, 5) + "\xC3\xA9" + code.substr(6), "a letter beyond ASCII", "has U+00E9 in it"},
        {code.substr(0, 5) + std::string(1, '\0') + code.substr(6), "a NUL byte", "has U+0000 in it"},
        {code.substr(0, 5) + "\xC2\xA0" + code.substr(5), "a no-break space from a chat program",
         "U+00A0 (no-break space)"},
        {code.substr(0, 2) + "\xE2\x80\x93" + code.substr(3), "an en dash for a dash", "U+2013 (en dash)"},
        {code.substr(0, 5) + "\xE2\x80\x8B" + code.substr(5), "a zero-width space", "U+200B (zero-width space)"},
        {code.substr(0, 5) + "\xF0\x9F\x98" + code.substr(5), "a character cut short", "has U+00F0 in it"},
        {tail, "no mark", "start with T1"},
        {"T0" + tail, "format 0", "start with T1"},
        {"T2" + tail, "a later format", "newer"},
        {"T2", "a later format, cut short", "newer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const ShareCodeReading reading = ReadShareCode(c.text);
        EXPECT_EQ(reading.error, ShareCodeError::Malformed);
        ExpectPlayerMessage(reading);
        EXPECT_NE(reading.message.find(c.mentions), std::string::npos) << reading.message;
        EXPECT_EQ(reading.game, SharedGame{});
    }
}

TEST(ShareCode, CodesOfAnotherGenerationAreRefusedNamingBothVersions)
{
    struct Case {
        ShareCodeOrigin origin;
        ShareCodeError error;
        const char* theirs; // the version the message names, if any
    };
    const std::vector<Case> cases = {
        {{kTarvennaVersion + 1, kGeneration}, ShareCodeError::None, nullptr},
        {{kTarvennaVersion - 1, kGeneration}, ShareCodeError::None, nullptr},
        {{1005, kGeneration + 2}, ShareCodeError::OtherVersion, "1.005"},
        {{2050, kGeneration + 1}, ShareCodeError::OtherVersion, "2.050"},
        {{16383, 255}, ShareCodeError::OtherVersion, "16.383"},
        {{kTarvennaVersion, kGeneration + 1}, ShareCodeError::OtherVersion, "another build"},
    };
    const std::string ours = OurVersionText();
    for (const SharedGame& game : SampleGames(2, 8)) {
        for (const Case& c : cases) {
            const std::string code = EncodeShareCode(game, c.origin);
            SCOPED_TRACE(testing::Message()
                         << c.origin.version << " generation " << c.origin.generation << ": " << code);
            const ShareCodeReading reading = ReadShareCode(code);
            EXPECT_EQ(reading.error, c.error) << reading.message;
            EXPECT_EQ(reading.origin, c.origin);
            if (c.error == ShareCodeError::None) {
                EXPECT_EQ(reading.game, game);
                continue;
            }
            ExpectPlayerMessage(reading);
            EXPECT_NE(reading.message.find(c.theirs), std::string::npos) << reading.message;
            EXPECT_NE(reading.message.find(ours), std::string::npos) << reading.message;
        }
    }
}

TEST(ShareCode, SettingsNoDialogCanProduceAreRefused)
{
    struct Case {
        const char* why;
        std::function<void(Settings&)> change;
    };
    // Which combinations conflict is SettingsConflict's rule (the form model's
    // tests hold it to what clicks can make); one shows that the reader asks it.
    const std::vector<Case> cases = {
        {"locks without items", [](Settings& s) { s.randomizeLocks = true, s.randomizeItems = false; }},
        // Every choice's value is read through one check.
        {"a fourth Tyrant type", [](Settings& s) { s.tyrantType = static_cast<TyrantType>(3); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        SharedGame game{Settings{}, 4242, 0xC0FFEEu};
        c.change(game.settings);
        const ShareCodeReading reading = ReadShareCode(EncodeShareCode(game));
        EXPECT_EQ(reading.error, ShareCodeError::Settings);
        ExpectPlayerMessage(reading);
        const std::string_view conflict = SettingsConflict(game.settings);
        if (!conflict.empty()) {
            EXPECT_NE(reading.message.find(conflict), std::string::npos) << reading.message;
        }
        EXPECT_EQ(reading.game, SharedGame{});

        // Another generation's settings are its own business.
        const ShareCodeOrigin other{kTarvennaVersion + 1, kGeneration + 1};
        EXPECT_EQ(ReadShareCode(EncodeShareCode(game, other)).error, ShareCodeError::OtherVersion);
    }
}

} // namespace
} // namespace tarvenna
