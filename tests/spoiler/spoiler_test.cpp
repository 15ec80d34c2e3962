#include "spoiler/spoiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "core/version.h"
#include "locks/lock_data.h"
#include "locks/lock_randomizer.h"
#include "output/door_index.h"
#include "output/output_test_support.h"
#include "spoiler/settings_json.h"

namespace tarvenna {
namespace {

using Json = nlohmann::json;

std::size_t Index(int value) { return static_cast<std::size_t>(value); }

const GameIdentity kIdentity{0x9E3779B9u, "amber birch cobalt dune", "T1-0123-4567-89AB"};

class Spoiler : public ScratchFolderTest {
protected:
    GeneratorState Generate(const Settings& settings, std::uint32_t seed)
    {
        GeneratorState state;
        StatusLog log;
        RunOptions options;
        options.seed = seed;
        options.outputDirectory = folder_;
        const GenerateResult result = GenerateSeed(settings, options, state, log);
        EXPECT_FALSE(result.stopped || result.itemsNeverPass || result.outputFailed) << log.Text();
        return state;
    }
};

// What every document holds whatever the mode: the run, the settings, the
// 180 slots named after their items, the 38 locks.
void ExpectRunSlotsAndLocks(const Json& doc, const Settings& settings, std::uint32_t seed, const GeneratorState& state)
{
    EXPECT_EQ(doc.at("spoilerFormat"), kSpoilerFormatVersion);
    const std::string version = doc.at("tarvennaVersion");
    EXPECT_NE(std::string(kVersionString).find(" " + version + " "), std::string::npos) << version;
    EXPECT_EQ(doc.at("versionString"), kVersionString);
    EXPECT_EQ(doc.at("seed"), seed);
    EXPECT_EQ(doc.at("shareCode"), kIdentity.shareCode);
    EXPECT_EQ(doc.at("checkWords"), kIdentity.checkWords);
    EXPECT_EQ(doc.at("checkValue"), kIdentity.checkValue);
    EXPECT_EQ(SettingsFromJson(doc.at("settings")), settings);

    const std::vector<std::string>& names = state.itemSlotTable.itemNames;
    const Json& slots = doc.at("slots");
    ASSERT_EQ(slots.size(), 180u);
    for (int slot = 0; slot < 180; ++slot) {
        const Json& entry = slots[Index(slot)];
        const int placed = state.slotAssignment[Index(slot)];
        EXPECT_EQ(entry.at("slot"), slot);
        EXPECT_FALSE(entry.at("room").get<std::string>().empty()) << slot;
        EXPECT_EQ(entry.at("original").at("item"), slot);
        EXPECT_EQ(entry.at("original").at("name"), names[Index(slot)]);
        EXPECT_EQ(entry.at("placed").at("item"), placed);
        EXPECT_EQ(entry.at("placed").at("name"), names[Index(placed)]);
    }

    const Json& locks = doc.at("locks");
    ASSERT_EQ(locks.size(), Index(kLockCount));
    for (int lock = 0; lock < kLockCount; ++lock) {
        const Json& entry = locks[Index(lock)];
        const int vanilla = kVanillaLockKinds[Index(lock)];
        const int kind = settings.randomizeLocks ? state.lockKinds[Index(lock)] : vanilla;
        EXPECT_EQ(entry.at("lock"), lock);
        EXPECT_EQ(entry.at("vanillaKind"), vanilla);
        EXPECT_EQ(entry.at("kind"), kind);
        EXPECT_EQ(entry.at("kindName"), LockKindName(kind));
    }
}

// A modelled playthrough in the document: its spheres cover the slots it
// reaches, its key items lie where it says, and its count is its length.
void ExpectPlaythrough(const Json& doc, const GeneratorState& state)
{
    EXPECT_TRUE(doc.at("playthroughNote").is_null());
    const Json& playthrough = doc.at("playthrough");
    ASSERT_TRUE(playthrough.is_object());
    EXPECT_EQ(playthrough.at("reachesEverything"), true);
    EXPECT_EQ(playthrough.at("allKeyItemsReached"), true);
    const Json& spheres = playthrough.at("spheres");
    EXPECT_EQ(playthrough.at("sphereCount"), spheres.size());
    std::vector<int> covered;
    int keyItems = 0;
    for (std::size_t sphere = 0; sphere < spheres.size(); ++sphere) {
        EXPECT_EQ(spheres[sphere].at("sphere"), sphere);
        const std::vector<int> slots = spheres[sphere].at("slots");
        covered.insert(covered.end(), slots.begin(), slots.end());
        for (const Json& found : spheres[sphere].at("keyItems")) {
            const int slot = found.at("slot");
            EXPECT_NE(std::find(slots.begin(), slots.end(), slot), slots.end()) << slot;
            EXPECT_EQ(found.at("item"), state.slotAssignment[Index(slot)]);
            ++keyItems;
        }
    }
    std::sort(covered.begin(), covered.end());
    std::vector<int> every(180);
    for (int slot = 0; slot < 180; ++slot) every[Index(slot)] = slot;
    EXPECT_EQ(covered, every);
    EXPECT_GT(keyItems, 10);
}

// Enemies and doors appear only when randomized. Door mode and unshuffled
// items have no playthrough, and say why. The doors lead where the door
// result table sends them: a door that keeps its own destination arrives
// through its partner of the unaltered game.
TEST_F(Spoiler, EachKindOfGameCarriesEverySlotWhatItRandomizedAndAPlaythroughWhereItHasOne)
{
    const struct {
        const char* why;
        std::uint32_t seed;
        std::function<void(Settings&)> configure;
    } cases[] = {
        {"enemies", 3, [](Settings& s) { s.randomizeEnemies = true; }},
        {"locks", 3, [](Settings& s) { s.character = Character::Chris, s.randomizeLocks = true; }},
        {"doors", 11, [](Settings& s) { s.randomizeDoors = true; }},
        {"items kept", 11, [](Settings& s) { s.randomizeItems = false, s.difficulty = Difficulty::Hard; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        Settings settings;
        c.configure(settings);
        const GeneratorState state = Generate(settings, c.seed);
        const Json doc = Json::parse(SpoilerJson(settings, c.seed, state, kIdentity));
        ExpectRunSlotsAndLocks(doc, settings, c.seed, state);
        if (settings.randomizeItems && !settings.randomizeDoors) {
            ExpectPlaythrough(doc, state);
        } else {
            EXPECT_TRUE(doc.at("playthrough").is_null());
            EXPECT_FALSE(doc.at("playthroughNote").get<std::string>().empty());
        }
        const Json& rooms = doc.at("enemies");
        EXPECT_EQ(rooms.is_null(), !settings.randomizeEnemies);
        if (settings.randomizeEnemies) {
            ASSERT_EQ(rooms.size(), state.roomEnemyTable.size());
            std::size_t index = 0;
            for (const auto& [room, kinds] : state.roomEnemyTable) {
                EXPECT_EQ(rooms[index].at("room"), room);
                EXPECT_EQ(rooms[index++].at("kind"), kinds.at(0));
            }
        }
        const Json& doorList = doc.at("doors");
        ASSERT_EQ(doorList.is_null(), !settings.randomizeDoors);
        if (!settings.randomizeDoors) continue;
        ASSERT_EQ(doorList.size(), Index(kDoorCount));
        const auto vanilla = IndexDoorResults(state.doors.doorTable);
        const auto results = IndexDoorResults(state.doors.doorResultTable);
        int kept = 0;
        for (int door = 0; door < kDoorCount; ++door) {
            const Json& entry = doorList[Index(door)];
            EXPECT_EQ(entry.at("door"), door);
            EXPECT_EQ(entry.at("room"), *results[Index(door)].room);
            EXPECT_EQ(entry.at("takesDestinationOf"), results[Index(door)].value);
            const Json& leadsTo = entry.at("leadsTo");
            if (leadsTo.is_null()) continue;
            const int arrival = leadsTo.at("door");
            EXPECT_EQ(leadsTo.at("room"), *vanilla[Index(arrival)].room) << door;
            if (results[Index(door)].value == door && vanilla[Index(door)].value >= 0) {
                EXPECT_EQ(arrival, vanilla[Index(door)].value) << door;
                ++kept;
            }
        }
        EXPECT_GT(kept, 0);
    }
}

} // namespace
} // namespace tarvenna
