# What the tests, the soak tool and the fuzz targets share: runs of whole
# seeds with every finished game checked. Included from tests/ and fuzz/
# (whose build has no tests).
include_guard(GLOBAL)
add_library(tarvenna_test_support STATIC ${CMAKE_CURRENT_LIST_DIR}/checked_run.cpp)
target_include_directories(tarvenna_test_support PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(tarvenna_test_support PRIVATE tarvenna_warnings PUBLIC tarvenna_verify tarvenna_driver)
