#include "app/verify_run.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "app/run_seed.h"
#include "core/utf8_path.h"
#include "output/output_files.h"
#include "share/check_words.h"
#include "share/game_identity.h"
#include "spoiler/spoiler.h"
#include "verify/game_invariants.h"

namespace tarvenna {
namespace {

// Far more than any item list file; a larger file is none.
constexpr std::size_t kMostBytesRead = 1 << 16;

} // namespace

int RunVerify(const CommandLine& line)
{
    const std::string path = Utf8FromPath(*line.verify);
    std::ifstream in(*line.verify, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "tarvenna: cannot read %s\n", path.c_str());
        return kUsage;
    }
    std::string file(kMostBytesRead + 1, '\0');
    in.read(file.data(), static_cast<std::streamsize>(file.size()));
    file.resize(static_cast<std::size_t>(in.gcount()));
    if (file.size() > kMostBytesRead) {
        std::printf("not an item list: %s is larger than any item list file\n", path.c_str());
        return kUsage;
    }

    const ItemListVerdict verdict = VerifyItemList(line.settings, file);
    switch (verdict.kind) {
    case ItemListVerdict::Kind::NotAnItemList:
        std::printf("not an item list: %s\n", verdict.reason.c_str());
        return kUsage;
    case ItemListVerdict::Kind::NotFinishable:
        std::printf("not finishable: %s\n", verdict.reason.c_str());
        return kNotFinishable;
    case ItemListVerdict::Kind::Finishable: break;
    }
    if (verdict.sphereCount >= 0) std::printf("finishable: a playthrough in %d spheres\n", verdict.sphereCount);
    else std::printf("finishable (%s: no playthrough to follow)\n", line.settings.randomizeItems ? "door mode" : "items in place");

    const std::uint32_t checkValue = CheckValue(file);
    std::fprintf(stderr, "check: %s\n", CheckWordsText(checkValue).c_str());
    if (line.spoiler) {
        const GameIdentity identity = IdentifyGame(line.settings, *line.seed, verdict.state);
        const OutputResult written = WriteSpoilerAlone(
            line.settings, SpoilerJson(line.settings, *line.seed, verdict.state, identity), line.outputDirectory);
        if (written.failed) {
            std::fprintf(stderr, "tarvenna: could not write %s\n", written.error.c_str());
            return kOutputFailed;
        }
    }
    if (line.expectedCheckValue && *line.expectedCheckValue != checkValue) {
        std::fprintf(stderr, "tarvenna: this is not the file of the share code's game (its check words are \"%s\")\n",
                     CheckWordsText(*line.expectedCheckValue).c_str());
        return kOtherGame;
    }
    return kSuccess;
}

} // namespace tarvenna
