# Windows build: the real platform, the program and the tests that run under Wine.
file(GLOB QM_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
add_library(qm_win32 STATIC ${QM_WIN32_SOURCES})
target_link_libraries(qm_win32 PUBLIC qm_core comctl32 gdi32 version ole32 oleaut32 uuid shlwapi shell32 advapi32)
target_compile_definitions(qm_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600 WINVER=0x0600)

set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static")

add_executable(quellmark WIN32 src/main_win32.cpp res/quellmark.rc)
target_link_libraries(quellmark PRIVATE qm_win32)
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
# The test program imports version.dll itself, to hold the program's own
# version-block reader to the system's VerQueryValueA.
target_link_libraries(contract_tests_win32 PRIVATE qm_win32 gtest_main version)
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
target_link_libraries(qm_probe PRIVATE comctl32 user32 psapi ole32 uuid shell32)

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
