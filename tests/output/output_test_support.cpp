#include "output/output_test_support.h"

#include <gtest/gtest.h>

namespace tarvenna {

std::vector<std::string> SplitCrLfLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "text does not end with a line end";
            break;
        }
        EXPECT_TRUE(end > start && text[end - 1] == '\r') << "bare LF after line " << lines.size() + 1;
        const std::size_t length = end > start ? end - start - 1 : 0;
        EXPECT_EQ(text.substr(start, length).find('\r'), std::string::npos);
        lines.push_back(text.substr(start, length));
        start = end + 1;
    }
    return lines;
}

GeneratorState UnshuffledState(const Settings& settings)
{
    GeneratorState state;
    Rng rng(1);
    BuildRoomEnemyTable(state.roomEnemyTable);
    BuildItemTables(settings, state, rng);
    for (int slot = 0; slot < 180; ++slot) state.slotAssignment.push_back(slot);
    return state;
}

} // namespace tarvenna
