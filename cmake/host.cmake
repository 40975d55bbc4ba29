# Host build: the simulated machine, the scripted toolkit, and the tests that run on them.
file(GLOB QM_SIM_SOURCES CONFIGURE_DEPENDS src/platform/sim/*.cpp)
add_library(qm_sim STATIC ${QM_SIM_SOURCES})
target_link_libraries(qm_sim PUBLIC qm_platform)

file(GLOB QM_UI_SIM_SOURCES CONFIGURE_DEPENDS src/ui/sim/*.cpp)
add_library(qm_ui_sim STATIC ${QM_UI_SIM_SOURCES})
qm_layer_view(qm_ui_sim PUBLIC ui forms core platform)
target_link_libraries(qm_ui_sim PUBLIC qm_forms qm_sim)

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB QM_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${QM_UNIT_TESTS})
target_include_directories(unit_tests PRIVATE tests)
target_link_libraries(unit_tests PRIVATE qm_ui_sim qm_report GTest::gtest_main)
gtest_discover_tests(unit_tests)

file(GLOB QM_CONTRACT_TESTS CONFIGURE_DEPENDS tests/contract/*_test.cpp)
file(GLOB QM_CONTRACT_ENV CONFIGURE_DEPENDS tests/contract/*_sim.cpp)
add_executable(contract_tests_sim ${QM_CONTRACT_TESTS} ${QM_CONTRACT_ENV})
target_include_directories(contract_tests_sim PRIVATE tests)
target_link_libraries(contract_tests_sim PRIVATE qm_core qm_sim GTest::gtest_main)
gtest_discover_tests(contract_tests_sim TEST_PREFIX "sim.")

# The arrows between the layers: each probe is compiled with one library's
# include path alone. Headers of the layer and those below it compile; one
# that reaches a layer above does not.
function(qm_layer_probe name target source expect)
  add_test(NAME layers.${name}
    COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only -I ${CMAKE_BINARY_DIR}/layers/${target}
            ${CMAKE_SOURCE_DIR}/tests/layers/${source})
  if(expect STREQUAL "fails")
    set_tests_properties(layers.${name} PROPERTIES WILL_FAIL TRUE)
  endif()
endfunction()
qm_layer_probe(core_sees_itself_and_the_platform qm_core core_view.cpp compiles)
qm_layer_probe(core_cannot_include_the_ui qm_core reaches_ui.cpp fails)
qm_layer_probe(actions_cannot_include_the_forms qm_core actions_reach_forms.cpp fails)
qm_layer_probe(inspect_cannot_include_the_forms qm_core inspect_reaches_forms.cpp fails)
qm_layer_probe(forms_see_the_core qm_forms forms_view.cpp compiles)
qm_layer_probe(forms_cannot_include_the_ui qm_forms reaches_ui.cpp fails)
qm_layer_probe(report_sees_the_core qm_report report_view.cpp compiles)
qm_layer_probe(report_cannot_include_the_forms qm_report report_reaches_forms.cpp fails)
qm_layer_probe(report_cannot_include_the_ui qm_report reaches_ui.cpp fails)
qm_layer_probe(platform_sees_itself qm_platform platform_view.cpp compiles)
qm_layer_probe(platform_cannot_include_the_core qm_platform reaches_core.cpp fails)

# The benchmark is built when Google Benchmark is there; it is no test.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  file(GLOB QM_BENCH_SOURCES CONFIGURE_DEPENDS bench/*_bench.cpp)
  add_executable(quellmark_bench ${QM_BENCH_SOURCES})
  target_link_libraries(quellmark_bench PRIVATE qm_ui_sim qm_report benchmark::benchmark)
endif()
