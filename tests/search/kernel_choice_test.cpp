#include "search/kernel_choice.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "search/deal_lanes.h"

namespace tarvenna::lanes {
namespace {

// A build with three sets on a processor that runs the outer two, and one
// whose widest set the processor lacks.
const Kernels kWide{};
const Kernels kNarrow{};
const KernelSet kThree[] = {
    {"wide", "Wide Vectors", &kWide}, {"mid", "Mid Vectors", nullptr}, {"narrow", "", &kNarrow}};
const KernelSet kNoWide[] = {{"wide", "Wide Vectors", nullptr}, {"narrow", "", &kNarrow}};

TEST(KernelChoice, TakesTheWidestSetTheProcessorRunsOrTheNamedOneAndRefusesTheRest)
{
    struct Case {
        std::span<const KernelSet> sets;
        std::string forced;
        const char* chosen; // null: refused with `refusal`
        std::string refusal;
    };
    const Case cases[] = {
        {kThree, "", "wide", ""},
        {kNoWide, "", "narrow", ""},
        {kThree, "narrow", "narrow", ""},
        {kThree, "mid", nullptr, "TARVENNA_KERNELS=mid: this processor lacks Mid Vectors (it runs wide, narrow)"},
        {kNoWide, "wide", nullptr, "TARVENNA_KERNELS=wide: this processor lacks Wide Vectors (it runs narrow)"},
        {kThree, "Wide", nullptr, "TARVENNA_KERNELS=Wide: no such kernel set (this build has wide, mid, narrow)"},
        {kThree, "wide ", nullptr, "TARVENNA_KERNELS=wide : no such kernel set (this build has wide, mid, narrow)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("forced '" + c.forced + "'");
        const KernelChoice choice = ChooseKernels(c.sets, c.forced);
        if (c.chosen) {
            ASSERT_NE(choice.set, nullptr) << choice.refusal;
            EXPECT_EQ(choice.set->name, c.chosen);
            EXPECT_NE(choice.set->kernels, nullptr);
        } else {
            EXPECT_EQ(choice.set, nullptr);
            EXPECT_EQ(choice.refusal, c.refusal);
        }
    }
}

// This build's sets: distinct names, and the last (what the build targets
// anyway) always runs, so that there is always a choice. (Each kernel of
// every set the processor runs is called by the deal lanes' tests.)
TEST(KernelChoice, EveryBuildRunsItsLastSet)
{
    const std::span<const KernelSet> sets = KernelSets();
    ASSERT_FALSE(sets.empty());
    std::set<std::string_view> names;
    for (const KernelSet& set : sets) EXPECT_TRUE(names.insert(set.name).second) << set.name;
    EXPECT_NE(sets.back().kernels, nullptr);
}

} // namespace
} // namespace tarvenna::lanes
