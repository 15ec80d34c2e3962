// Counts heap allocations around the item search's inner loop: one attempt
// (a deal and its validation) must not touch the heap. Built as a program of
// its own, since it replaces the global allocation functions.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "driver/generate_seed.h"
#include "items/item_shuffle.h"

namespace {
std::size_t g_allocations = 0;
}

void* operator new(std::size_t size)
{
    ++g_allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

int main()
{
    using namespace tarvenna;
    int failures = 0;
    for (const Settings& settings : {Settings{.character = Character::Jill}, Settings{.character = Character::Chris},
                                     Settings{.character = Character::Jill, .randomizeLocks = true},
                                     Settings{.character = Character::Chris, .randomizeLocks = true}}) {
        GeneratorState state;
        Rng rng(3);
        BuildItemTables(settings, state, rng);
        const ItemRules rules(state.itemSlotTable);
        const std::vector<int> pinned = PinnedSlots(settings);
        PlacementValidator validator(rules);
        SlotAssignment assignment{};
        const std::size_t before = g_allocations;
        int accepted = 0;
        for (int attempt = 0; attempt < 20000; ++attempt) {
            ShuffleItems(pinned, rng, assignment);
            accepted += validator.ValidatePlacement(assignment) ? 1 : 0;
        }
        const std::size_t used = g_allocations - before;
        std::printf("%s%s: %zu allocations in 20000 attempts (%d accepted)\n", CharacterName(settings.character),
                    settings.randomizeLocks ? " with locks" : "", used, accepted);
        failures += used != 0 ? 1 : 0;
    }
    std::printf("%d passed, %d failed\n", 4 - failures, failures);
    return failures == 0 ? 0 : 1;
}
