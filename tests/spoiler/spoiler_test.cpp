#include "spoiler/spoiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include <nlohmann/json.hpp>

#include "output/door_index.h"
#include "support/checked_run.h"
#include "support/scratch_folder.h"

namespace tarvenna {
namespace {

using Json = nlohmann::json;

std::size_t Index(int value) { return static_cast<std::size_t>(value); }

const GameIdentity kIdentity{0x9E3779B9u, "amber birch cobalt dune", "T1-0123-4567-89AB"};

struct Mode {
    const char* name; // the approved document: tests/data/spoiler/<name>.json
    std::uint32_t seed;
    std::function<void(Settings&)> configure;
};
const Mode kModes[] = {
    {"enemies", 3, [](Settings& s) { s.randomizeEnemies = true; }},
    {"locks", 3, [](Settings& s) { s.character = Character::Chris, s.randomizeLocks = true; }},
    {"doors", 11, [](Settings& s) { s.randomizeDoors = true; }},
    {"items-kept", 11, [](Settings& s) { s.randomizeItems = false, s.difficulty = Difficulty::Hard; }},
};

class Spoiler : public ScratchFolderTest {
protected:
    GeneratorState Generate(const Settings& settings, std::uint32_t seed)
    {
        GeneratedGame game = GenerateGame(settings, seed, folder_);
        EXPECT_FALSE(game.result.stopped || game.result.itemsNeverPass || game.result.outputFailed) << game.log;
        return std::move(game.state);
    }
};

// The whole document of each mode, as approved: a change of the format shows
// here first. TARVENNA_APPROVE=1 writes the documents anew, to be reviewed.
TEST_F(Spoiler, EachModesDocumentIsTheApprovedOne)
{
    const std::filesystem::path approved = std::filesystem::path(TARVENNA_TEST_DATA_DIR) / "spoiler";
    const bool approve = std::getenv("TARVENNA_APPROVE") != nullptr;
    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        Settings settings;
        mode.configure(settings);
        const std::string document = SpoilerJson(settings, mode.seed, Generate(settings, mode.seed), kIdentity);
        const std::filesystem::path path = approved / (std::string(mode.name) + ".json");
        if (approve) std::ofstream(path, std::ios::binary) << document;
        EXPECT_EQ(document, Read(path)) << "approve a deliberate change with TARVENNA_APPROVE=1";
    }
}

// What the documents mean, beyond their bytes: a playthrough's spheres cover
// every slot and name the key items where they lie, and a door arrives
// through the partner of the door whose destination it takes.
TEST_F(Spoiler, PlaythroughsCoverEverySlotAndDoorsLeadWhereTheyTakeTheirDestination)
{
    for (const Mode& mode : kModes) {
        SCOPED_TRACE(mode.name);
        Settings settings;
        mode.configure(settings);
        const GeneratorState state = Generate(settings, mode.seed);
        const Json doc = Json::parse(SpoilerJson(settings, mode.seed, state, kIdentity));
        if (const Json& playthrough = doc.at("playthrough"); !playthrough.is_null()) {
            std::vector<int> covered;
            for (const Json& sphere : playthrough.at("spheres")) {
                const std::vector<int> slots = sphere.at("slots");
                covered.insert(covered.end(), slots.begin(), slots.end());
                for (const Json& found : sphere.at("keyItems")) {
                    EXPECT_NE(std::find(slots.begin(), slots.end(), found.at("slot")), slots.end());
                    EXPECT_EQ(found.at("item"), state.slotAssignment[Index(found.at("slot"))]);
                }
            }
            std::sort(covered.begin(), covered.end());
            EXPECT_EQ(covered.size(), 180u);
            EXPECT_EQ(std::adjacent_find(covered.begin(), covered.end()), covered.end());
        }
        if (!settings.randomizeDoors) continue;
        const auto partners = IndexDoorResults(state.doors.doorTable);
        for (const Json& door : doc.at("doors")) {
            const int takes = door.at("takesDestinationOf");
            if (door.at("leadsTo").is_null()) continue;
            EXPECT_EQ(door.at("leadsTo").at("door"), partners[Index(takes)].value) << door.dump();
        }
    }
}

} // namespace
} // namespace tarvenna
