#include "share/check_word_list.h"

namespace tarvenna {

const std::array<std::string_view, 256> kCheckWordList = {
    "acorn", "actor", "album", "amber", "anchor", "anvil", "apple", "apron", "arrow", "atlas", "attic", "bacon",
    "badge", "bagel", "bamboo", "banjo", "barn", "basket", "beaver", "bench", "bike", "bird", "blade", "bloom",
    "boat", "book", "bottle", "brain", "brick", "bubble", "bucket", "bundle", "butter", "cabin", "cactus", "cake",
    "camel", "candle", "castle", "cat", "chair", "cheese", "circle", "clay", "cliff", "clock", "coast", "coffee",
    "copper", "cotton", "cow", "crab", "crown", "cube", "cup", "daisy", "dance", "dinner", "doctor", "donkey",
    "door", "dragon", "dream", "drum", "duck", "dune", "eagle", "earth", "echo", "edge", "egg", "elbow", "engine",
    "eraser", "fabric", "falcon", "farm", "fence", "fern", "fiddle", "field", "finger", "fire", "fish", "flag",
    "flute", "foam", "fog", "forest", "frost", "fruit", "garden", "giant", "glass", "glove", "gold", "goose",
    "grape", "guitar", "gull", "hammer", "harp", "helmet", "hero", "hill", "hippo", "hobby", "honey", "hotel",
    "house", "igloo", "indigo", "ivy", "jacket", "jaguar", "jar", "jazz", "jelly", "juice", "jungle", "kayak",
    "kettle", "kite", "kiwi", "koala", "ladder", "lamp", "laptop", "lava", "lawn", "lemon", "letter", "lily",
    "lion", "lizard", "locket", "lotus", "lunch", "magnet", "mango", "maple", "marble", "meadow", "milk", "mirror",
    "mitten", "moon", "moss", "motor", "muffin", "mug", "napkin", "needle", "nest", "nickel", "noodle", "oak",
    "ocean", "olive", "onion", "orange", "orbit", "otter", "oven", "owl", "oyster", "paddle", "paint", "palace",
    "panda", "paper", "parrot", "pasta", "peach", "pebble", "pencil", "piano", "pigeon", "pillow", "pine", "pizza",
    "planet", "pony", "potato", "puppy", "queen", "quilt", "rabbit", "radar", "raft", "raven", "recipe", "ribbon",
    "rice", "river", "robin", "roof", "rope", "ruby", "ruler", "salad", "sand", "scarf", "school", "shadow",
    "sheep", "ship", "shovel", "silver", "skate", "sky", "sled", "smile", "snail", "soap", "sock", "sofa", "spider",
    "spoon", "spring", "stamp", "stove", "straw", "sugar", "summer", "sunset", "swan", "swing", "table", "taco",
    "teapot", "temple", "tennis", "tiger", "tomato", "torch", "tower", "toy", "tree", "tulip", "tunnel", "turkey",
    "uncle", "valley", "velvet", "violin", "wafer", "wagon", "walnut", "wheat", "window", "wolf", "wool", "yellow",
    "zebra", "zipper",
};

} // namespace tarvenna
