#include "web/web_calls.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <system_error>
#include <vector>

#include <nlohmann/json.hpp>

#include "driver/generate_seed.h"
#include "driver/item_stage.h"
#include "driver/search_progress.h"
#include "search/fast_item_search.h"
#include "share/check_words.h"
#include "game/make_game.h"
#include "share/share_code.h"
#include "spoiler/settings_json.h"
#include "web/control_names.h"

namespace tarvenna {
namespace {

using Json = nlohmann::json;

// A request the page should never send: its mistake, told back as an error.
struct BadRequest {
    std::string message;
};

Json Error(const std::string& message) { return Json{{"error", message}}; }

Json FormReply(const FormModel& form, bool changed)
{
    Json controls = Json::object();
    for (const PageControl& control : PageControls())
        controls[control.name] = {{"checked", form.IsChecked(control.id)}, {"enabled", form.IsEnabled(control.id)}};
    return Json{{"controls", controls},
                {"settings", SettingsToJson(form.CollectSettings())},
                {"spoiler", form.WantsSpoiler()},
                {"changed", changed}};
}

Json FormCall(FormModel& form, const Json& request)
{
    const std::string op = request.at("op").get<std::string>();
    if (op == "reset") {
        form = FormModel();
        return FormReply(form, true);
    }
    if (op == "click") {
        const std::optional<int> id = ControlIdOfName(request.at("control").get<std::string>());
        if (!id) throw BadRequest{"no control is called " + request.at("control").dump()};
        const bool changed = form.Click(*id);
        return FormReply(form, changed);
    }
    if (op == "code") {
        const ShareCodeReading reading = ReadShareCode(request.at("code").get<std::string>());
        if (reading.error != ShareCodeError::None) return Error(reading.message);
        if (!form.ShowSettings(reading.game.settings)) return Error("the form cannot show this code's settings");
        Json reply = FormReply(form, true);
        reply["seed"] = reading.game.seed;
        // Of the game the code was made from: a run of it sends the value back as expectedCheckValue.
        reply["checkWords"] = CheckWordsText(reading.game.checkValue);
        reply["checkValue"] = reading.game.checkValue;
        return reply;
    }
    throw BadRequest{"no form operation is called " + request.at("op").dump()};
}

Json SeedCall(const Json& request)
{
    const SeedChoice choice = ParseSeedField(request.at("text").get<std::string>());
    switch (choice.kind) {
    case SeedChoice::Kind::FromClock:
        return Json{{"seed", SeedFromClock()}};
    case SeedChoice::Kind::Fixed:
        return Json{{"seed", choice.seed}};
    case SeedChoice::Kind::Invalid:
        break;
    }
    return Error("The seed must be a whole number from 0 to 4294967295.");
}

std::uint32_t SeedOf(const Json& request)
{
    const Json& seed = request.at("seed");
    if (!seed.is_number_unsigned() || seed.get<std::uint64_t>() > 0xFFFFFFFFu)
        throw BadRequest{"the seed must be a whole number from 0 to 4294967295, not " + seed.dump()};
    return seed.get<std::uint32_t>();
}

Settings SettingsOf(const Json& request)
{
    const std::optional<Settings> settings = SettingsFromJson(request.at("settings"));
    if (!settings) throw BadRequest{"unreadable settings: " + request.at("settings").dump()};
    if (const std::string conflict = SettingsConflict(*settings); !conflict.empty()) throw BadRequest{conflict};
    return *settings;
}

// A round in which no deal of the whole cycle passes, with the progress
// marks the run's search would have shown for it.
ItemSearchResult NoDealInTheCycle(const RejectedDealsListener& onRejected)
{
    onRejected(FastItemSearch::kDealCycle);
    ItemSearchResult result;
    result.neverAccepted = true;
    return result;
}

// The deals of one search round, [first, first + count): the stages run as
// a whole run would, each earlier round taken as failed, up to this round's
// search, which runs here and ends the run. No file is written.
Json SearchCall(const Json& request)
{
    const Settings settings = SettingsOf(request);
    if (!ItemStageSearches(settings)) return Json{{"search", false}};
    const auto round = request.at("round").get<std::uint64_t>();
    const auto first = request.at("first").get<std::uint64_t>();
    const auto count = request.at("count").get<std::uint64_t>();

    RunOptions options;
    options.seed = SeedOf(request);
    StatusLog statusLog;
    std::uint64_t rounds = 0;
    Json reply{{"search", true}, {"cycle", FastItemSearch::kDistinctDeals}, {"accepted", nullptr}};
    options.itemSearcher = [&](const FastItemSearch& search, std::uint32_t startState,
                               const RejectedDealsListener& onRejected) {
        if (rounds++ < round) return NoDealInTheCycle(onRejected);
        ItemSearchResult result;
        reply["log"] = statusLog.Text();
        if (const std::optional<std::uint64_t> accepted = search.FirstAcceptedIn(startState, first, count))
            reply["accepted"] = *accepted;
        result.stopped = true;
        return result;
    };
    GeneratorState state;
    const GenerateResult result = GenerateSeed(settings, options, state, statusLog);
    // Only a round past the last lock deal (a page's mistake) ends otherwise.
    if (!result.stopped || !reply.contains("log"))
        throw BadRequest{"search round " + std::to_string(round) + " never starts"};
    return reply;
}

// The searcher of a run whose search rounds the workers already decided:
// each round's first accepted deal, or null when none passes.
ItemSearcher DecidedSearcher(const Json& deals, std::size_t& round, std::string& fault)
{
    return [&deals, &round, &fault](const FastItemSearch& search, std::uint32_t startState,
                                    const RejectedDealsListener& onRejected) {
        ItemSearchResult result;
        if (round >= deals.size()) {
            fault = "the search needs more rounds than the " + std::to_string(deals.size()) + " given";
            result.stopped = true;
            return result;
        }
        const Json& deal = deals[round++];
        if (!deal.is_null() && !deal.is_number_unsigned()) {
            fault = "a deal is an index or null, not " + deal.dump();
            result.stopped = true;
            return result;
        }
        if (deal.is_null()) return NoDealInTheCycle(onRejected);
        if (std::optional<ItemSearchResult> found =
                search.ResultOfDeal(startState, deal.get<std::uint64_t>(), onRejected))
            return *found;
        fault = "deal " + deal.dump() + " of search round " + std::to_string(round - 1) + " is rejected";
        result.stopped = true;
        return result;
    };
}

void ClearFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    std::filesystem::create_directories(folder, error);
}

Json GenerateCall(WebSession& session, const Json& request)
{
    GameRequest game;
    game.settings = SettingsOf(request);
    game.spoiler = request.value("spoiler", false);
    game.seed = SeedOf(request);
    game.folder = session.outputDirectory;
    if (request.contains("expectedCheckValue")) game.expectedCheckValue = request.at("expectedCheckValue").get<std::uint32_t>();
    std::size_t round = 0;
    std::string fault;
    if (request.contains("deals")) {
        if (!request.at("deals").is_array())
            throw BadRequest{"deals must be a list, not " + request.at("deals").dump()};
        game.itemSearcher = DecidedSearcher(request.at("deals"), round, fault);
    }

    ClearFolder(session.outputDirectory);
    StatusLog statusLog;
    if (session.onLog) statusLog.SetListener(session.onLog);
    GeneratorState state;
    const GameResult result = MakeGame(game, state, statusLog);
    if (!fault.empty()) throw BadRequest{fault};
    if (result.outcome == GameOutcome::Stopped) throw BadRequest{"the run was stopped"};
    Json reply{{"ok", FilesWritten(result.outcome)}, {"log", statusLog.Text()}};
    if (!FilesWritten(result.outcome)) {
        reply["error"] = result.message;
        return reply;
    }
    Json files = Json::array();
    for (const std::string& name : result.generated.files)
        files.push_back({{"name", name}, {"path", (session.outputDirectory / name).generic_string()}});
    reply["files"] = files;
    reply["shareCode"] = result.identity.shareCode;
    reply["checkWords"] = result.identity.checkWords;
    reply["attempts"] = result.attempts;
    if (!result.message.empty()) reply["notice"] = result.message;
    return reply;
}

// What the page shows beside the log of a search round that has ruled out
// `rejected` deals: the round's lock deal is its number, counted from 1.
Json ProgressCall(const Json& request)
{
    const SearchProgress progress{request.at("rejected").get<std::uint64_t>(), FastItemSearch::kDistinctDeals,
                                  request.at("lockDeal").get<unsigned>(), true};
    return Json{{"show", WorthShowing(progress)}, {"text", ProgressText(progress)}, {"share", RuledOutShare(progress)}};
}

Json Answer(WebSession& session, const Json& request)
{
    const std::string call = request.at("call").get<std::string>();
    if (call == "form") return FormCall(session.form, request);
    if (call == "seed") return SeedCall(request);
    if (call == "marks") return Json{{"marks", ProgressMarks(request.at("rejected").get<std::uint64_t>())}};
    if (call == "progress") return ProgressCall(request);
    if (call == "search") return SearchCall(request);
    if (call == "generate") return GenerateCall(session, request);
    throw BadRequest{"no call is named " + request.at("call").dump()};
}

} // namespace

std::string HandleWebCall(WebSession& session, std::string_view request)
{
    Json reply;
    try {
        reply = Answer(session, Json::parse(request));
    } catch (const BadRequest& bad) {
        reply = Error(bad.message);
    } catch (const std::exception& exception) {
        // Malformed JSON, a missing key or a value of the wrong type.
        reply = Error(std::string("bad request: ") + exception.what());
    }
    return reply.dump();
}

} // namespace tarvenna
