# Windows build: the real platform, its windows, the program and the tests that run under Wine.
target_compile_definitions(qm_platform INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0600 WINVER=0x0600)

file(GLOB QM_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
add_library(qm_win32 STATIC ${QM_WIN32_SOURCES})
# The system DLLs the program's code calls, all of them known DLLs; the test
# programs import them as usual. comctl32 and version are no known DLLs
# (Windows looks for them beside the program first), so they are never
# imported: the program loads them from System32 itself
# (src/platform/win32/system_library.h).
set(QM_SYSTEM_LIBRARIES user32 gdi32 shell32 ole32 oleaut32 shlwapi advapi32)
target_link_libraries(qm_win32 PUBLIC qm_platform uuid)
# Windows functions are declared without dllimport, so that every call goes
# through the import library's own stub: the delay-load libraries below
# need those stubs (GNU ld drops a stub that no call names).
target_compile_definitions(qm_win32 PUBLIC DECLSPEC_IMPORT=)

file(GLOB QM_UI_WIN32_SOURCES CONFIGURE_DEPENDS src/ui/win32/*.cpp)
add_library(qm_ui_win32 STATIC ${QM_UI_WIN32_SOURCES})
qm_layer_view(qm_ui_win32 PUBLIC ui forms core platform)
target_link_libraries(qm_ui_win32 PUBLIC qm_forms qm_win32)

# quellmark.exe imports only kernel32, msvcrt and advapi32 when it starts;
# the other system DLLs, known DLLs all of them, it loads on their first
# call, after its first statement has restricted every DLL search to System32.
# On Windows a known DLL and the DLLs it imports come from System32 anyway;
# Wine does not pin the imports of a known DLL (its user32 imports
# version.dll and finds a copy beside the program when told to prefer
# native DLLs), so they are loaded only once the search is restricted.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(QM_IMPORT_PREFIX __imp__)
else()
  set(QM_IMPORT_PREFIX __imp_)
endif()
set(QM_DELAY_LIBRARIES)
foreach(dll user32 gdi32 shell32 ole32 oleaut32 shlwapi)
  find_library(QM_IMPORT_LIBRARY_${dll} ${dll} REQUIRED)
  set(delay_library ${CMAKE_BINARY_DIR}/delay/lib${dll}_delay.a)
  add_custom_command(OUTPUT ${delay_library}
    COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/delay_import_library.sh ${CMAKE_NM} ${CMAKE_DLLTOOL}
            ${QM_IMPORT_LIBRARY_${dll}} ${dll}.dll ${QM_IMPORT_PREFIX} ${CMAKE_BINARY_DIR}/delay/${dll}.def ${delay_library}
    DEPENDS ${QM_IMPORT_LIBRARY_${dll}} ${CMAKE_SOURCE_DIR}/cmake/delay_import_library.sh
    COMMENT "Delay-load import library for ${dll}.dll")
  list(APPEND QM_DELAY_LIBRARIES ${delay_library})
endforeach()
add_custom_target(qm_delay_libraries DEPENDS ${QM_DELAY_LIBRARIES})
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/delay)

set(CMAKE_EXE_LINKER_FLAGS "${CMAKE_EXE_LINKER_FLAGS} -static")

add_executable(quellmark WIN32 src/app/quellmark.cpp res/quellmark.rc)
qm_layer_view(quellmark PRIVATE app ui forms core platform)
# The delay-load libraries come right after the program's own code, so that
# they, not the ordinary import libraries, answer its calls.
target_link_libraries(quellmark PRIVATE qm_ui_win32 qm_forms qm_core qm_win32 ${QM_DELAY_LIBRARIES} advapi32)
add_dependencies(quellmark qm_delay_libraries)
# The console program that prints every entry as CSV or JSON: the report
# layer over the same core and platform, no forms and no windows (its layer
# view holds neither), the same DLL rules. wmain takes the command line in UTF-16.
add_executable(quellmark_report src/app/quellmark_report.cpp res/quellmark_report.rc)
set_target_properties(quellmark_report PROPERTIES OUTPUT_NAME quellmark-report)
qm_layer_view(quellmark_report PRIVATE app report core platform)
target_link_libraries(quellmark_report PRIVATE qm_report qm_core qm_win32 ${QM_DELAY_LIBRARIES} advapi32)
target_link_options(quellmark_report PRIVATE -municode)
add_dependencies(quellmark_report qm_delay_libraries)
set_source_files_properties(res/quellmark_report.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/quellmark_report.manifest")
# The executables given to users; the test programs are not among them.
set(QM_SHIPPED_EXECUTABLES $<TARGET_FILE:quellmark> $<TARGET_FILE:quellmark_report>)

# Every shipped executable imports only DLLs that Windows pins to System32.
add_test(NAME imports.known_dlls
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/imports/known_dlls_test.sh ${CMAKE_OBJDUMP} ${QM_SHIPPED_EXECUTABLES})
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
# The test program (never shipped) imports version.dll itself, to hold the
# program's own version-block reader to the system's VerQueryValueA.
target_link_libraries(contract_tests_win32 PRIVATE qm_core qm_win32 ${QM_SYSTEM_LIBRARIES} gtest_main version)
# The service program of the scratch services that the contract and Wine
# tests create next to the test programs.
add_executable(qm_scratch_service tests/contract/scratch_service.cpp)
target_link_libraries(qm_scratch_service PRIVATE advapi32)
add_dependencies(contract_tests_win32 qm_scratch_service qm_planted)
# 64-bit Windows is a 64-bit Wine prefix (tests/wine/prefix.sh PREFIX win64).
# The 32-bit program runs the contract suite and every tests/wine script in
# the 32-bit prefix, and the contract suite and the tests/wine64 scripts once
# more in the 64-bit prefix under WOW64. The 64-bit program runs all of them
# (the contract suite, tests/wine and tests/wine64) in the 64-bit prefix.
set(QM_WINEPREFIX64 ${CMAKE_BINARY_DIR}/../wineprefix64 CACHE PATH "The 64-bit Wine prefix of the tests")
set(QM_ENV64 "QM_WINEPREFIX=${QM_WINEPREFIX64};QM_WINEARCH=win64")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QM_PREFIX_TESTS wine64)
else()
  set(QM_PREFIX_TESTS wine wine64)
endif()
# One Wine process for the whole suite: each start of Wine costs about a second.
foreach(prefix ${QM_PREFIX_TESTS})
  add_test(NAME ${prefix}.contract COMMAND contract_tests_win32)
  set_tests_properties(${prefix}.contract PROPERTIES TIMEOUT 600)
endforeach()
if(TEST wine64.contract)
  set_tests_properties(wine64.contract PROPERTIES ENVIRONMENT "${QM_ENV64}" RUN_SERIAL TRUE)
endif()

# The probe that inspects and drives the real program's windows from outside.
add_executable(qm_probe tests/wine/probe.cpp tests/wine/probe_versions.cpp tests/wine/probe_process.cpp)
target_include_directories(qm_probe PRIVATE src tests)
target_link_libraries(qm_probe PRIVATE comctl32 user32 gdi32 psapi ole32 uuid shell32 advapi32)
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

# Puts a deny entry on a key's ACL and writes a value whose name holds a NUL,
# as a program running as the user can.
add_executable(qm_regtool tests/wine/regtool.cpp)
target_link_libraries(qm_regtool PRIVATE advapi32)
add_dependencies(qm_probe qm_regtool)

# The DLL the Wine tests plant beside the program under the names of system
# DLLs; it leaves a marker file when loaded.
add_library(qm_planted SHARED tests/wine/planted_dll.c)
set_target_properties(qm_planted PROPERTIES PREFIX "" OUTPUT_NAME qm_planted)
target_link_options(qm_planted PRIVATE -static-libgcc -Wl,--kill-at)
add_dependencies(qm_probe qm_planted)

# The bare program the Wine benchmark measures quellmark.exe against.
add_executable(qm_baseline WIN32 bench/baseline.cpp)
target_link_libraries(qm_baseline PRIVATE comctl32 shell32 ole32 advapi32)
# ... and the bare program the report is measured against.
add_executable(qm_report_baseline bench/report_baseline.cpp)
target_link_libraries(qm_report_baseline PRIVATE advapi32)

# Each tests/wine/NAME_test.sh drives the real program; the scripts share a
# Wine prefix and its registry, so they run one at a time. A test is named
# after its script's folder and name (wine.lists_test); the 64-bit program
# runs every one in the 64-bit prefix, tests/wine's as well.
file(GLOB QM_WINE_SCRIPTS CONFIGURE_DEPENDS tests/wine/*_test.sh)
file(GLOB QM_WINE64_SCRIPTS CONFIGURE_DEPENDS tests/wine64/*_test.sh)
foreach(script ${QM_WINE_SCRIPTS} ${QM_WINE64_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  get_filename_component(folder ${script} DIRECTORY)
  get_filename_component(prefix ${folder} NAME)
  add_test(NAME ${prefix}.${name}
    COMMAND bash ${script} $<TARGET_FILE:quellmark> $<TARGET_FILE:qm_probe> ${CMAKE_BINARY_DIR})
  set_tests_properties(${prefix}.${name} PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
  if(prefix STREQUAL wine64 OR CMAKE_SIZEOF_VOID_P EQUAL 8)
    set_tests_properties(${prefix}.${name} PROPERTIES ENVIRONMENT "${QM_ENV64}")
  endif()
endforeach()
