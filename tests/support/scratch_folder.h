#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/generator_state.h"
#include "core/rng.h"
#include "core/settings.h"
#include "driver/generate_seed.h"
#include "enemies/room_enemy_table.h"

namespace tarvenna {

// A state whose items stay in place, as the driver leaves it with items off.
inline GeneratorState UnshuffledState(const Settings& settings)
{
    GeneratorState state;
    Rng rng(1);
    BuildRoomEnemyTable(state.roomEnemyTable);
    BuildItemTables(settings, state, rng);
    for (int slot = 0; slot < 180; ++slot) state.slotAssignment.push_back(slot);
    return state;
}

// An empty folder of its own for each test, removed afterwards.
class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("tarvenna-test-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override
    {
        std::filesystem::permissions(folder_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        std::filesystem::remove_all(folder_);
    }
    static std::string Read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::filesystem::path folder_;
};

} // namespace tarvenna
