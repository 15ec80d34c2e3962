#include "web/web_calls.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "driver/generate_seed.h"
#include "support/locks.h"
#include "support/scratch_folder.h"
#include "share/check_words.h"
#include "share/share_code.h"
#include "spoiler/settings_json.h"
#include "game/make_game.h"

namespace tarvenna {
namespace {

using Json = nlohmann::json;

Json Call(WebSession& session, const Json& request) { return Json::parse(HandleWebCall(session, request.dump())); }

Json ChrisLocks() { return SettingsToJson(LockSettings(Character::Chris)); }

Json Click(WebSession& session, const char* control)
{
    return Call(session, {{"call", "form"}, {"op", "click"}, {"control", control}});
}

Json SearchRequest(const Json& settings, std::uint32_t seed, int round, std::uint64_t first, std::uint64_t count)
{
    return {{"call", "search"}, {"settings", settings}, {"seed", seed},
            {"round", round},   {"first", first},       {"count", count}};
}

// The dialog's rule, through the page: doors turns locks off and disables it.
TEST(WebCalls, ClicksFollowTheDialogsRules)
{
    WebSession session;
    EXPECT_TRUE(Click(session, "spoiler")["spoiler"]);
    EXPECT_FALSE(Click(session, "doors")["controls"]["locks"]["enabled"]);
    EXPECT_FALSE(Click(session, "locks")["changed"]);
}

TEST(WebCalls, AShareCodeShowsItsSettingsAndSeedAndABadOneLeavesTheFormAlone)
{
    const Settings settings{.character = Character::Chris,
                            .difficulty = Difficulty::Hard,
                            .randomizeEnemies = true,
                            .tyrantSpawns = SpawnCount::Many};
    const std::string code = EncodeShareCode({settings, 4000000000u, 0x12345678u});

    WebSession session;
    const Json shown = Call(session, {{"call", "form"}, {"op", "code"}, {"code", code}});
    EXPECT_EQ(shown["settings"], Json(SettingsToJson(settings)));
    EXPECT_EQ(shown["seed"], 4000000000u);
    EXPECT_EQ(shown["checkWords"], CheckWordsText(0x12345678u));
    EXPECT_TRUE(shown["controls"]["tyrant-spawns-many"]["checked"]);

    std::string damaged = code;
    damaged[5] = damaged[5] == 'A' ? 'B' : 'A';
    const Json refused = Call(session, {{"call", "form"}, {"op", "code"}, {"code", damaged}});
    EXPECT_TRUE(refused.contains("error"));
    EXPECT_FALSE(refused.contains("settings"));
    EXPECT_EQ(Click(session, "remove-ammo")["settings"]["character"], "Chris");
}

TEST(WebCalls, TheSeedFieldTakesPlainDecimalsOrTheClock)
{
    WebSession session;
    EXPECT_EQ(Call(session, {{"call", "seed"}, {"text", " 4294967295 "}}), Json({{"seed", 4294967295u}}));
    const std::uint32_t before = SeedFromClock();
    const Json clock = Call(session, {{"call", "seed"}, {"text", ""}});
    EXPECT_GE(clock["seed"].get<std::uint32_t>(), before);
    EXPECT_LE(clock["seed"].get<std::uint32_t>(), before + 5);
    // Which texts are seeds is the settings table's rule.
    EXPECT_TRUE(Call(session, {{"call", "seed"}, {"text", "12a"}}).contains("error"));
}

// Malformed or impossible requests are answered, never thrown.
TEST(WebCalls, BadRequestsGetAnErrorReply)
{
    Json conflicting = ChrisLocks();
    conflicting["randomizeDoors"] = true;
    Json unreadable = ChrisLocks();
    unreadable["character"] = "Rebecca";
    const std::string requests[] = {
        "not json",
        Json{{"call", "launch"}}.dump(),
        Json{{"op", "reset"}}.dump(),
        Json{{"call", "form"}, {"op", "click"}, {"control", "barry"}}.dump(),
        Json{{"call", "form"}, {"op", "click"}, {"control", 1004}}.dump(),
        Json{{"call", "generate"}, {"settings", conflicting}, {"seed", 1}}.dump(),
        Json{{"call", "generate"}, {"settings", unreadable}, {"seed", 1}}.dump(),
        Json{{"call", "generate"}, {"settings", ChrisLocks()}, {"seed", 4294967296}}.dump(),
        Json{{"call", "generate"}, {"settings", ChrisLocks()}, {"seed", -1}}.dump(),
        Json{{"call", "search"}, {"settings", ChrisLocks()}, {"seed", 1}, {"round", 0}, {"first", 0}}.dump(),
        // Without locks there is no second round.
        SearchRequest(SettingsToJson(Settings{}), 1, 1, 0, 10).dump(),
    };
    WebSession session;
    for (const std::string& request : requests) {
        SCOPED_TRACE(request);
        const Json reply = Json::parse(HandleWebCall(session, request));
        ASSERT_TRUE(reply.contains("error"));
        EXPECT_FALSE(reply["error"].get<std::string>().empty());
    }
}

class WebRuns : public ScratchFolderTest {
protected:
    WebSession Session()
    {
        WebSession session;
        session.outputDirectory = folder_ / "page";
        return session;
    }

    // The files of a page's run, by name.
    std::map<std::string, std::string> Files(const Json& reply)
    {
        std::map<std::string, std::string> files;
        for (const Json& file : reply["files"]) files[file["name"]] = Read(file["path"].get<std::string>());
        return files;
    }

    static Json Search(WebSession& session, std::uint32_t seed, int round, std::uint64_t first, std::uint64_t count)
    {
        return Call(session, SearchRequest(ChrisLocks(), seed, round, first, count));
    }
};

// The page's workers search stretches of deals and hand the lowest accepted
// one to a run: the files and the log are those of a run that searched alone.
TEST_F(WebRuns, StretchesSearchedApartGiveTheRunThatSearchedAlone)
{
    constexpr std::uint32_t kSeed = 38; // accepted after 11,075 deals: one progress mark
    WebSession session = Session();
    const Json alone =
        Call(session, {{"call", "generate"}, {"settings", ChrisLocks()}, {"seed", kSeed}, {"spoiler", true}});
    ASSERT_TRUE(alone["ok"]) << alone.dump();
    const std::map<std::string, std::string> aloneFiles = Files(alone);
    ASSERT_EQ(aloneFiles.size(), 3u);
    const std::uint64_t winner = alone["attempts"].get<std::uint64_t>() - 1;

    // The same files as the command's run of the seed.
    Settings settings = *SettingsFromJson(ChrisLocks());
    GameRequest request;
    request.settings = settings;
    request.seed = kSeed;
    request.folder = folder_ / "command";
    request.spoiler = true;
    std::filesystem::create_directories(request.folder);
    GeneratorState state;
    StatusLog log;
    MakeGame(request, state, log);
    EXPECT_EQ(alone["log"], log.Text());
    EXPECT_EQ(aloneFiles.at("ItemListChrisNormal.txt"), Read(folder_ / "command" / "ItemListChrisNormal.txt"));

    EXPECT_EQ(Search(session, kSeed, 0, 0, winner)["accepted"], nullptr);
    EXPECT_EQ(Search(session, kSeed, 0, 5000, 1u << 20)["accepted"], winner);
    const Json last = Search(session, kSeed, 0, winner, 1);
    EXPECT_EQ(last["accepted"], winner);
    EXPECT_EQ(last["cycle"], std::uint64_t{1} << 29); // the rest are twins

    // The live log the page shows, the search's log and then the marks, is
    // where the run's log stands when the deal is found.
    std::string live = last["log"];
    const Json marks = Call(session, {{"call", "marks"}, {"rejected", winner}});
    for (std::size_t mark = 0; mark < marks["marks"].get<std::size_t>(); ++mark) live += " .";
    EXPECT_EQ(alone["log"].get<std::string>().rfind(live + "done after 11075 attempts!", 0), 0u);
    // Beside the log, once a round has ruled out 1 % of the cycle.
    EXPECT_EQ(Call(session, {{"call", "progress"}, {"rejected", winner}, {"lockDeal", 1}})["show"], false);
    const Json quarter = Call(session, {{"call", "progress"}, {"rejected", std::uint64_t{1} << 27}, {"lockDeal", 2}});
    EXPECT_EQ(quarter, (Json{{"show", true},
                           {"text", "Checking the locks dealt again (deal 2): 25 % of the item deals ruled out"},
                           {"share", 0.25}}));

    const Json decided = Call(
        session,
        {{"call", "generate"}, {"settings", ChrisLocks()}, {"seed", kSeed}, {"spoiler", true}, {"deals", {winner}}});
    ASSERT_TRUE(decided["ok"]) << decided.dump();
    EXPECT_EQ(decided["log"], alone["log"]);
    EXPECT_EQ(decided["shareCode"], alone["shareCode"]);
    EXPECT_EQ(decided["checkWords"], alone["checkWords"]);
    EXPECT_EQ(Files(decided), aloneFiles);

    // A deal that is rejected or no index, too few rounds, or no list: the page's fault, and no files.
    for (const Json& deals : {Json{0}, Json::array(), Json{-1}, Json{1.5}, Json(7)}) {
        SCOPED_TRACE(deals.dump());
        const Json refused =
            Call(session, {{"call", "generate"}, {"settings", ChrisLocks()}, {"seed", kSeed}, {"deals", deals}});
        EXPECT_TRUE(refused.contains("error"));
        EXPECT_FALSE(std::filesystem::exists(folder_ / "page" / "ItemListChrisNormal.txt"));
    }
}

// A round in which no deal passes deals the locks again; the page's second
// round searches under the new locks, and the run takes its deal.
TEST_F(WebRuns, ASecondSearchRoundSearchesUnderTheLocksDealtAgain)
{
    constexpr std::uint32_t kSeed = 38;
    WebSession session = Session();
    const Json second = Search(session, kSeed, 1, 0, 1u << 20);
    ASSERT_TRUE(second["search"]);
    ASSERT_FALSE(second["accepted"].is_null());
    const std::uint64_t winner = second["accepted"];
    EXPECT_NE(second["log"].get<std::string>().find("dealing the locks again"), std::string::npos);
    EXPECT_EQ(Search(session, kSeed, 1, 0, winner)["accepted"], nullptr);

    const Json run = Call(
        session, {{"call", "generate"}, {"settings", ChrisLocks()}, {"seed", kSeed}, {"deals", {nullptr, winner}}});
    ASSERT_TRUE(run["ok"]) << run.dump();
    EXPECT_EQ(run["attempts"], winner + 1);
    const std::string log = run["log"];
    // Every deal of the first round was rejected: 2^30 of them, a mark per 10001.
    std::string marks;
    for (int mark = 0; mark < 107363; ++mark) marks += " .";
    EXPECT_NE(log.find("Randomizing Items. . ." + marks + " no deal of the items can pass under these locks"),
              std::string::npos);
    EXPECT_EQ(log.rfind(second["log"].get<std::string>(), 0), 0u);

    // Items not searched: the page runs at once.
    Json doors = SettingsToJson(Settings{});
    doors["randomizeDoors"] = true;
    EXPECT_EQ(Call(session, SearchRequest(doors, 1, 0, 0, 1)), Json({{"search", false}}));
}

} // namespace
} // namespace tarvenna
