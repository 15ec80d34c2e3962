#include "share/check_words.h"

#include <xxhash.h>

#include "share/check_word_list.h"

namespace tarvenna {

std::uint32_t CheckValue(std::string_view itemListFile)
{
    // Folded rather than cut, so that every bit of the hash counts.
    const XXH64_hash_t hash = XXH3_64bits(itemListFile.data(), itemListFile.size());
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

std::array<std::string_view, 4> CheckWords(std::uint32_t checkValue)
{
    std::array<std::string_view, 4> words;
    for (std::size_t i = 0; i < words.size(); ++i) words[i] = kCheckWordList[(checkValue >> (24 - 8 * i)) & 0xFFu];
    return words;
}

std::string CheckWordsText(std::uint32_t checkValue)
{
    std::string text;
    for (const std::string_view word : CheckWords(checkValue)) {
        if (!text.empty()) text += ' ';
        text += word;
    }
    return text;
}

} // namespace tarvenna
