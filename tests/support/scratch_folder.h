#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "enemies/room_enemy_table.h"
#include "support/checked_run.h"

namespace tarvenna {

// A state whose items stay in place, as the driver leaves it with items off.
inline GeneratorState UnshuffledState(const Settings& settings)
{
    GeneratorState state = TablesOf(settings, 1);
    BuildRoomEnemyTable(state.roomEnemyTable);
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
    static std::string Read(const std::filesystem::path& path) { return ReadFile(path); }

    std::filesystem::path folder_;
};

} // namespace tarvenna
