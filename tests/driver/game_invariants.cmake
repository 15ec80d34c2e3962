# The checks of a finished game, shared by the tests, the soak tool and the
# fuzz target (whose build has no tests).
include_guard(GLOBAL)
add_library(tarvenna_game_invariants STATIC ${CMAKE_CURRENT_LIST_DIR}/game_invariants.cpp)
target_include_directories(tarvenna_game_invariants PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(tarvenna_game_invariants PRIVATE tarvenna_warnings PUBLIC tarvenna_driver)
