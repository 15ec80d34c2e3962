#include "share/share_code.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "core/rng.h"
#include "core/version.h"

namespace tarvenna {
namespace {

constexpr std::string_view kAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

// Every setting and how many values it has, listed apart from the code's own
// layout so that a setting the code loses shows up here.
struct Field {
    const char* name;
    int values;
    std::function<void(Settings&, int)> set;
};

Field Switch(const char* name, bool Settings::*member)
{
    return {name, 2, [member](Settings& s, int value) { s.*member = value != 0; }};
}

template <class Enum>
Field Choice(const char* name, Enum Settings::*member, int values)
{
    return {name, values, [member](Settings& s, int value) { s.*member = static_cast<Enum>(value); }};
}

const std::vector<Field>& Fields()
{
    static const std::vector<Field> fields = {
        Choice("character", &Settings::character, 2),
        Choice("difficulty", &Settings::difficulty, 2),
        Switch("randomizeItems", &Settings::randomizeItems),
        Switch("randomizeEnemies", &Settings::randomizeEnemies),
        Switch("randomizeDoors", &Settings::randomizeDoors),
        Switch("randomizeLocks", &Settings::randomizeLocks),
        Switch("removeHealingItems", &Settings::removeHealingItems),
        Switch("removeAmmo", &Settings::removeAmmo),
        Switch("removeInkRibbons", &Settings::removeInkRibbons),
        Switch("removeDefenceItems", &Settings::removeDefenceItems),
        Switch("swapWithSelfDefenseGun", &Settings::swapWithSelfDefenseGun),
        Switch("fuelCapsuleArmed", &Settings::fuelCapsuleArmed),
        Choice("tyrantSpawns", &Settings::tyrantSpawns, 3),
        Choice("yawnSpawns", &Settings::yawnSpawns, 3),
        Choice("lisaSpawns", &Settings::lisaSpawns, 3),
        Choice("tyrantType", &Settings::tyrantType, 3),
        Switch("allowZombies", &Settings::allowZombies),
        Switch("allowDogs", &Settings::allowDogs),
        Switch("allowHunters", &Settings::allowHunters),
        Switch("allowSpiders", &Settings::allowSpiders),
        Switch("allowSharks", &Settings::allowSharks),
        Switch("allowBees", &Settings::allowBees),
        Switch("allowChimera", &Settings::allowChimera),
        Switch("allowElderCrimsonHeads", &Settings::allowElderCrimsonHeads),
    };
    return fields;
}

bool DialogCanProduce(const Settings& settings)
{
    return *SettingsConflict(settings) == '\0';
}

std::uint32_t Word(Rng& rng)
{
    const auto draw = [&rng] { return static_cast<std::uint32_t>(rng.Next()); };
    return (draw() << 30) ^ (draw() << 15) ^ draw();
}

Settings RandomSettings(Rng& rng)
{
    Settings settings;
    for (const Field& field : Fields())
        field.set(settings, static_cast<int>(rng.Below(static_cast<std::uint32_t>(field.values))));
    return settings;
}

// Games whose settings the dialog can produce, from a fixed draw.
std::vector<SharedGame> SampleGames(std::size_t count, std::uint32_t seed)
{
    Rng rng(seed);
    std::vector<SharedGame> games;
    while (games.size() < count) {
        const SharedGame game{RandomSettings(rng), Word(rng), Word(rng)};
        if (DialogCanProduce(game.settings)) games.push_back(game);
    }
    return games;
}

void ExpectRoundTrip(const SharedGame& game)
{
    const std::string code = EncodeShareCode(game);
    const ShareCodeReading reading = ReadShareCode(code);
    ASSERT_EQ(reading.error, ShareCodeError::None) << code << ": " << reading.message;
    EXPECT_TRUE(reading.message.empty());
    EXPECT_EQ(reading.game, game) << code;
    EXPECT_EQ(reading.origin, ShareCodeOrigin{});
    EXPECT_EQ(EncodeShareCode(reading.game), code);
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

TEST(ShareCode, EverySettingRoundTripsOverAllItsValuesFromSeveralBases)
{
    Settings doorMode;
    doorMode.randomizeDoors = true;
    Settings lockMode;
    lockMode.randomizeLocks = true;
    lockMode.difficulty = Difficulty::Hard;
    lockMode.character = Character::Chris;
    Settings last; // every field at its last value, but doors, which Hard refuses
    for (const Field& field : Fields()) field.set(last, field.values - 1);
    last.randomizeDoors = false;
    std::vector<Settings> bases = {Settings{}, doorMode, lockMode, last};
    Rng rng(7);
    while (bases.size() < 12) {
        const Settings settings = RandomSettings(rng);
        if (DialogCanProduce(settings)) bases.push_back(settings);
    }

    int tried = 0;
    for (std::size_t b = 0; b < bases.size(); ++b) {
        ASSERT_TRUE(DialogCanProduce(bases[b])) << "base " << b;
        for (const Field& field : Fields()) {
            for (int value = 0; value < field.values; ++value) {
                SCOPED_TRACE(testing::Message() << "base " << b << ", " << field.name << " = " << value);
                Settings settings = bases[b];
                field.set(settings, value);
                if (!DialogCanProduce(settings)) continue;
                ExpectRoundTrip({settings, 0x9E3779B9u + static_cast<std::uint32_t>(tried), 0x85EBCA6Bu});
                ++tried;
            }
        }
    }
    EXPECT_GT(tried, 500);
}

#if defined(NDEBUG) && !defined(_WIN32)
// Every combination of settings the dialog can produce, each with its own
// seed and check value: tens of millions, so only in optimised builds, and
// not under Wine, where it takes minutes (the code is the same there).
TEST(ShareCode, EveryCombinationTheDialogCanProduceRoundTrips)
{
    const std::vector<Field>& fields = Fields();
    std::vector<int> digits(fields.size(), 0);
    Settings settings;
    for (std::size_t i = 0; i < fields.size(); ++i) fields[i].set(settings, 0);
    Rng rng(31);
    std::uint64_t tried = 0;
    std::uint64_t failed = 0;
    for (;;) {
        if (DialogCanProduce(settings)) {
            const SharedGame game{settings, Word(rng), Word(rng)};
            const std::string code = EncodeShareCode(game);
            const ShareCodeReading reading = ReadShareCode(code);
            if (reading.error != ShareCodeError::None || !(reading.game == game)) {
                if (failed++ == 0) ADD_FAILURE() << code << " does not read back: " << reading.message;
            }
            ++tried;
        }
        // The next combination, as an odometer: only the digits that turn are set.
        std::size_t i = 0;
        for (; i < fields.size(); ++i) {
            digits[i] = (digits[i] + 1) % fields[i].values;
            fields[i].set(settings, digits[i]);
            if (digits[i] != 0) break;
        }
        if (i == fields.size()) break;
    }
    EXPECT_EQ(failed, 0u) << "of " << tried;
    // Two characters; 8 of the 16 combinations of the four stages go together
    // on Normal and 6 on Hard; 2^14 for the other switches, 3^4 for the choices.
    EXPECT_EQ(tried, 2u * (8u + 6u) * 16384u * 81u);
}
#endif

TEST(ShareCode, SampledGamesRoundTrip)
{
    for (const SharedGame& game : SampleGames(100000, 2024)) {
        ExpectRoundTrip(game);
        if (testing::Test::HasFailure()) return;
    }
}

TEST(ShareCode, ExtremeSeedsAndCheckValuesRoundTrip)
{
    const std::uint32_t extremes[] = {0, 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu};
    for (const SharedGame& base : SampleGames(4, 99)) {
        for (const std::uint32_t seed : extremes) {
            for (const std::uint32_t checkValue : extremes) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << ", check value " << checkValue);
                ExpectRoundTrip({base.settings, seed, checkValue});
            }
        }
    }
}

TEST(ShareCode, CodesAreGroupsOfFourAfterTheMarkAndFormat)
{
    for (const SharedGame& game : SampleGames(50, 5)) {
        const std::string code = EncodeShareCode(game);
        SCOPED_TRACE(code);
        ASSERT_EQ(code.substr(0, 3), "T1-");
        std::size_t groupLength = 0;
        for (std::size_t i = 3; i <= code.size(); ++i) {
            if (i == code.size() || code[i] == '-') {
                EXPECT_TRUE(groupLength == 4 || (i == code.size() && groupLength > 0)) << "group ending at " << i;
                groupLength = 0;
            } else {
                EXPECT_NE(kAlphabet.find(code[i]), std::string_view::npos) << code[i];
                ++groupLength;
            }
        }
    }
}

TEST(ShareCode, CaseSeparatorsAndLookAlikeLettersAreReadAsTheCode)
{
    struct Variant {
        const char* why;
        std::function<std::string(std::string)> apply;
    };
    const auto replace = [](char from, char to) {
        return [from, to](std::string code) {
            std::replace(code.begin(), code.end(), from, to);
            return code;
        };
    };
    const std::vector<Variant> variants = {
        {"lower case",
         [](std::string code) {
             for (char& c : code) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
             return code;
         }},
        {"no dashes",
         [](std::string code) {
             std::erase(code, '-');
             return code;
         }},
        {"spaces for dashes", replace('-', ' ')},
        {"pasted with white space around", [](std::string code) { return " \t" + code + "\r\n"; }},
        {"dashes doubled", [](std::string code) { return "-" + std::string(code).insert(5, "-") + "--"; }},
        {"I for 1", replace('1', 'I')},
        {"i for 1", replace('1', 'i')},
        {"L for 1", replace('1', 'L')},
        {"l for 1", replace('1', 'l')},
        {"O for 0", replace('0', 'O')},
        {"o for 0", replace('0', 'o')},
    };
    int withZero = 0;
    int withOne = 0;
    for (const SharedGame& game : SampleGames(200, 11)) {
        const std::string code = EncodeShareCode(game);
        withZero += code.find('0') != std::string::npos;
        withOne += code.find('1', 2) != std::string::npos;
        for (const Variant& variant : variants) {
            const std::string typed = variant.apply(code);
            SCOPED_TRACE(testing::Message() << variant.why << ": " << typed);
            const ShareCodeReading reading = ReadShareCode(typed);
            ASSERT_EQ(reading.error, ShareCodeError::None) << reading.message;
            EXPECT_EQ(reading.game, game);
        }
    }
    EXPECT_GT(withZero, 50);
    EXPECT_GT(withOne, 50);
}

// The checksum is linear: whether a change is caught does not depend on the
// code it is made in. One code already tries every change of every symbol;
// swaps of neighbours depend on the two symbols, so many codes are tried.
TEST(ShareCode, OneChangedCharacterFailsTheChecksum)
{
    for (const SharedGame& game : SampleGames(10, 3)) {
        const std::string code = EncodeShareCode(game);
        const std::vector<std::size_t> positions = SymbolPositions(code);
        for (std::size_t p = 0; p < positions.size(); ++p) {
            for (const char symbol : kAlphabet) {
                std::string typed = code;
                if (typed[positions[p]] == symbol) continue;
                typed[positions[p]] = symbol;
                SCOPED_TRACE(typed);
                const ShareCodeReading reading = ReadShareCode(typed);
                // The mark and the format are checked before the checksum.
                EXPECT_EQ(reading.error, p < 2 ? ShareCodeError::Malformed : ShareCodeError::Checksum);
                ExpectPlayerMessage(reading);
            }
        }
    }
}

TEST(ShareCode, SwappedNeighboursFailTheChecksum)
{
    int swaps = 0;
    for (const SharedGame& game : SampleGames(300, 4)) {
        const std::string code = EncodeShareCode(game);
        const std::vector<std::size_t> positions = SymbolPositions(code);
        for (std::size_t p = 2; p + 1 < positions.size(); ++p) {
            std::string typed = code;
            if (typed[positions[p]] == typed[positions[p + 1]]) continue;
            std::swap(typed[positions[p]], typed[positions[p + 1]]);
            ++swaps;
            const ShareCodeReading reading = ReadShareCode(typed);
            EXPECT_EQ(reading.error, ShareCodeError::Checksum) << typed;
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
        {"T1", "mark and format only", "short"},
        {code.substr(0, code.size() - 1), "one symbol short", "short"},
        {code + "0", "one symbol long", "long"},
        {code + std::string(100000, '0'), "far too long", "long"},
        {code.substr(0, 5) + "U" + code.substr(6), "U, which Crockford leaves out", "\"U\""},
        {code.substr(0, 5) + "*" + code.substr(6), "punctuation", "\"*\""},
        {code.substr(0, 5) + "\xC3\xA9" + code.substr(6), "a letter beyond ASCII", "character"},
        {code.substr(0, 5) + std::string(1, '\0') + code.substr(6), "a NUL byte", "character"},
        {"X" + code.substr(1), "another mark", "start with T1"},
        {tail, "no mark", "start with T1"},
        {"T0" + tail, "format 0", "start with T1"},
        {"T2" + tail, "a later format", "newer"},
        {"TZ" + tail, "the last format there can be", "newer"},
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
        {{1000, kGeneration + 2}, ShareCodeError::OtherVersion, "1.000"},
        {{1005, kGeneration + 1}, ShareCodeError::OtherVersion, "1.005"},
        {{2050, kGeneration + 1}, ShareCodeError::OtherVersion, "2.050"},
        {{16383, 255}, ShareCodeError::OtherVersion, "16.383"},
        {{kTarvennaVersion, kGeneration + 1}, ShareCodeError::OtherVersion, "another build"},
    };
    const std::string ours = OurVersionText();
    for (const SharedGame& game : SampleGames(5, 8)) {
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
    const std::vector<Case> cases = {
        {"doors on Hard", [](Settings& s) { s.randomizeDoors = true, s.difficulty = Difficulty::Hard; }},
        {"doors without items", [](Settings& s) { s.randomizeDoors = true, s.randomizeItems = false; }},
        {"doors with locks", [](Settings& s) { s.randomizeDoors = true, s.randomizeLocks = true; }},
        {"locks without items", [](Settings& s) { s.randomizeLocks = true, s.randomizeItems = false; }},
        {"a fourth Tyrant spawn count", [](Settings& s) { s.tyrantSpawns = static_cast<SpawnCount>(3); }},
        {"a fourth Yawn spawn count", [](Settings& s) { s.yawnSpawns = static_cast<SpawnCount>(3); }},
        {"a fourth Lisa spawn count", [](Settings& s) { s.lisaSpawns = static_cast<SpawnCount>(3); }},
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
