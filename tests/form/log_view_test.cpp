#include "form/log_view.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tarvenna {
namespace {

std::string Marks(std::size_t count)
{
    std::string marks;
    for (std::size_t i = 0; i < count; ++i) marks += " .";
    return marks;
}

// A run shortened to its ends and the count of the marks between them.
std::string Shortened(std::size_t count)
{
    return Marks(LogView::kEndMarks) + " [" + std::to_string(count - 2 * LogView::kEndMarks) + " more]" +
           Marks(LogView::kEndMarks);
}

constexpr std::size_t kLongest = 3 * LogView::kEndMarks; // shown whole

TEST(LogView, ShowsTheLogAsWrittenUntilARunOfMarksGrowsLong)
{
    struct Case {
        const char* what;
        std::string log;
        std::string shown;
    };
    const Case kCases[] = {
        {"stages' own dots and blanks", "Writing to A . . .done!\nRandomizing Doors . . . done!\n",
         "Writing to A . . .done!\nRandomizing Doors . . . done!\n"},
        {"blanks before a mark", "a  .  . b", "a  .  . b"},
        {"the longest run shown whole", "Randomizing Items." + Marks(kLongest) + "done",
         "Randomizing Items." + Marks(kLongest) + "done"},
        {"one mark more", "Randomizing Items." + Marks(kLongest + 1) + "done",
         "Randomizing Items." + Shortened(kLongest + 1) + "done"},
        {"a search's marks", "Randomizing Items. . ." + Marks(31700) + "done after 317021374 attempts!\n",
         "Randomizing Items." + Shortened(31702) + "done after 317021374 attempts!\n"},
        {"each run on its own, a blank after one ends it",
         "x" + Marks(500) + " dealing the locks again\nRandomizing Items." + Marks(kLongest) + " " + Marks(70),
         "x" + Shortened(500) + " dealing the locks again\nRandomizing Items." + Marks(kLongest) + " " + Shortened(70)},
        {"a run still growing", "Randomizing Items." + Marks(1000), "Randomizing Items." + Shortened(1000)},
        {"a blank at the end", "Randomizing Doors . . . ", "Randomizing Doors . . . "},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ShownLog(c.log), c.shown);

        // However the log arrives: a character at a time, or cut anywhere.
        LogView byCharacter;
        for (char ch : c.log) byCharacter.Append(std::string_view(&ch, 1));
        EXPECT_EQ(byCharacter.Shown(), c.shown);
        for (std::size_t cut = 0; cut <= c.log.size(); cut += 1 + c.log.size() / 97) {
            LogView view;
            view.Append(std::string_view(c.log).substr(0, cut));
            view.Append(std::string_view(c.log).substr(cut));
            ASSERT_EQ(view.Shown(), c.shown) << "cut at " << cut;
        }
    }
}

} // namespace
} // namespace tarvenna
