# Host build: the simulated machine, the scripted toolkit, and the tests that run on them.
file(GLOB QM_SIM_SOURCES CONFIGURE_DEPENDS src/platform/sim/*.cpp)
add_library(qm_sim STATIC ${QM_SIM_SOURCES})
target_link_libraries(qm_sim PUBLIC qm_platform)

file(GLOB QM_UI_SIM_SOURCES CONFIGURE_DEPENDS src/ui/sim/*.cpp)
add_library(qm_ui_sim STATIC ${QM_UI_SIM_SOURCES})
qm_layer_view(qm_ui_sim PUBLIC ui core platform)
target_link_libraries(qm_ui_sim PUBLIC qm_core qm_sim)

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB QM_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${QM_UNIT_TESTS})
target_include_directories(unit_tests PRIVATE tests)
target_link_libraries(unit_tests PRIVATE qm_ui_sim GTest::gtest_main)
gtest_discover_tests(unit_tests)

file(GLOB QM_CONTRACT_TESTS CONFIGURE_DEPENDS tests/contract/*_test.cpp)
file(GLOB QM_CONTRACT_ENV CONFIGURE_DEPENDS tests/contract/*_sim.cpp)
add_executable(contract_tests_sim ${QM_CONTRACT_TESTS} ${QM_CONTRACT_ENV})
target_include_directories(contract_tests_sim PRIVATE tests)
target_link_libraries(contract_tests_sim PRIVATE qm_core qm_sim GTest::gtest_main)
gtest_discover_tests(contract_tests_sim TEST_PREFIX "sim.")

# The benchmark is built when Google Benchmark is there; it is no test.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  file(GLOB QM_BENCH_SOURCES CONFIGURE_DEPENDS bench/*_bench.cpp)
  add_executable(quellmark_bench ${QM_BENCH_SOURCES})
  target_link_libraries(quellmark_bench PRIVATE qm_ui_sim benchmark::benchmark)
endif()
