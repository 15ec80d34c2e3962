#include "share/game_identity.h"

#include "output/item_list_file.h"
#include "share/check_words.h"
#include "share/share_code.h"

namespace tarvenna {

GameIdentity IdentifyGame(const Settings& settings, std::uint32_t seed, const GeneratorState& state)
{
    GameIdentity identity;
    identity.checkValue = CheckValue(ItemListText(settings, state));
    identity.checkWords = CheckWordsText(identity.checkValue);
    identity.shareCode = EncodeShareCode({settings, seed, identity.checkValue});
    return identity;
}

} // namespace tarvenna
