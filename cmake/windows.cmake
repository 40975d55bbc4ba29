# Windows build: the real platform, its windows, the program and the tests that run under Wine.
target_compile_definitions(qm_platform INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600 WINVER=0x0600)

file(GLOB QM_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
add_library(qm_win32 STATIC ${QM_WIN32_SOURCES})
target_link_libraries(qm_win32 PUBLIC qm_platform version ole32 oleaut32 uuid shlwapi shell32 advapi32)

file(GLOB QM_UI_WIN32_SOURCES CONFIGURE_DEPENDS src/ui/win32/*.cpp)
add_library(qm_ui_win32 STATIC ${QM_UI_WIN32_SOURCES})
qm_layer_view(qm_ui_win32 PUBLIC ui core platform)
target_link_libraries(qm_ui_win32 PUBLIC qm_core qm_win32 comctl32 gdi32)

set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static")

add_executable(quellmark WIN32 src/app/quellmark.cpp res/quellmark.rc)
qm_layer_view(quellmark PRIVATE app ui core platform)
target_link_libraries(quellmark PRIVATE qm_ui_win32)
set_source_files_properties(res/quellmark.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/quellmark.manifest;${CMAKE_SOURCE_DIR}/res/quellmark.ico;${CMAKE_SOURCE_DIR}/res/imagelist1.bmp")

# GoogleTest from sources (Debian's googletest package), built with the same compiler.
set(QM_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest source folder")
if(NOT EXISTS ${QM_GTEST_SOURCE}/CMakeLists.txt)
  message(STATUS "No GoogleTest sources at ${QM_GTEST_SOURCE}: building the program only")
  return()
endif()
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${QM_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
include(GoogleTest)

file(GLOB QM_CONTRACT_TESTS CONFIGURE_DEPENDS tests/contract/*_test.cpp)
file(GLOB QM_CONTRACT_ENV CONFIGURE_DEPENDS tests/contract/*_win32.cpp)
# The resource file gives the test program a version resource of known values.
add_executable(contract_tests_win32 ${QM_CONTRACT_TESTS} ${QM_CONTRACT_ENV} tests/contract/contract_version.rc)
target_include_directories(contract_tests_win32 PRIVATE tests)
target_link_libraries(contract_tests_win32 PRIVATE qm_core qm_win32 gtest_main)
# The service program of the scratch services that the contract and Wine
# tests create next to the test programs.
add_executable(qm_scratch_service tests/contract/scratch_service.cpp)
target_link_libraries(qm_scratch_service PRIVATE advapi32)
add_dependencies(contract_tests_win32 qm_scratch_service)
# One Wine process for the whole suite: each start of Wine costs about a second.
add_test(NAME wine.contract COMMAND contract_tests_win32)
set_tests_properties(wine.contract PROPERTIES TIMEOUT 600)

# The probe that inspects and drives the real program's windows from outside.
add_executable(qm_probe tests/wine/probe.cpp)
target_link_libraries(qm_probe PRIVATE comctl32 user32 gdi32 psapi ole32 uuid shell32)
# Loaded by the probe into the program to read its popup menus from inside.
add_library(qm_probe_menu SHARED tests/wine/probe_menu.cpp)
set_target_properties(qm_probe_menu PROPERTIES PREFIX "")
target_link_libraries(qm_probe_menu PRIVATE user32)
target_link_options(qm_probe_menu PRIVATE -static -Wl,--kill-at)
add_dependencies(qm_probe qm_probe_menu)

# A program that notes when and by whom it was started: planted under the
# Registry Editor's name, or registered as the handler of the web link.
add_executable(qm_marker WIN32 tests/wine/marker.cpp)
add_dependencies(qm_probe qm_marker)

# The bare program the Wine benchmark measures quellmark.exe against.
add_executable(qm_baseline WIN32 bench/baseline.cpp)
target_link_libraries(qm_baseline PRIVATE comctl32 shell32 ole32 advapi32)

# Each tests/wine/NAME_test.sh drives the real program; they share one Wine
# prefix and its registry, so they run one at a time.
file(GLOB QM_WINE_SCRIPTS CONFIGURE_DEPENDS tests/wine/*_test.sh)
foreach(script ${QM_WINE_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME wine.${name}
    COMMAND bash ${script} $<TARGET_FILE:quellmark> $<TARGET_FILE:qm_probe> ${CMAKE_BINARY_DIR})
  set_tests_properties(wine.${name} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endforeach()
