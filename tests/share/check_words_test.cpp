#include "share/check_words.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <string>
#include <vector>

#include "core/rng.h"
#include "items/sequential_item_search.h"
#include "output/item_list_file.h"
#include "support/scratch_folder.h"
#include "share/check_word_list.h"

namespace tarvenna {
namespace {

std::size_t EditDistance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Words of three to six lower-case letters, none to be taken for another
// heard or typed: each is known by its first three letters (so none begins
// another, and none comes twice), one slip of a letter never makes another,
// and no word is another's plural.
TEST(CheckWords, WordsAreShortAndNoTwoCanBeTakenForEachOther)
{
    for (std::size_t i = 0; i < kCheckWordList.size(); ++i) {
        const std::string_view a = kCheckWordList[i];
        EXPECT_TRUE(a.size() >= 3 && a.size() <= 6 &&
                    std::all_of(a.begin(), a.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
            << a;
        for (std::size_t j = i + 1; j < kCheckWordList.size(); ++j) {
            const std::string_view b = kCheckWordList[j];
            SCOPED_TRACE(std::string(a) + " and " + std::string(b));
            EXPECT_NE(a.substr(0, 3), b.substr(0, 3));
            EXPECT_GE(EditDistance(a, b), 2u);
            for (const std::string_view ending : {"s", "es"}) {
                EXPECT_NE(std::string(a) + std::string(ending), b);
                EXPECT_NE(std::string(b) + std::string(ending), a);
            }
        }
    }
}

TEST(CheckWords, EachByteOfTheValueNamesItsOwnWord)
{
    const std::uint32_t base = 0x5A3C96E1u;
    const auto baseWords = CheckWords(base);
    for (std::size_t position = 0; position < 4; ++position) {
        std::set<std::string_view> words;
        const unsigned shift = static_cast<unsigned>(24 - 8 * position);
        for (std::uint32_t byte = 0; byte < 256; ++byte) {
            const std::uint32_t value = (base & ~(0xFFu << shift)) | (byte << shift);
            const auto changed = CheckWords(value);
            for (std::size_t other = 0; other < 4; ++other) {
                if (other == position) continue;
                EXPECT_EQ(changed[other], baseWords[other]) << position << " " << byte;
            }
            words.insert(changed[position]);
        }
        EXPECT_EQ(words.size(), 256u) << "position " << position;
    }
}

// Other builds (Windows, later versions) show the same words only while the
// value stays XXH3 folded to 32 bits; the hash of no bytes is the one that
// xxHash publishes, 0x2D06800538D394C2.
TEST(CheckWords, TheValueOfNoBytesIsXxh3Folded)
{
    EXPECT_EQ(CheckValue({}), 0x2D068005u ^ 0x38D394C2u);
}

} // namespace
} // namespace tarvenna
