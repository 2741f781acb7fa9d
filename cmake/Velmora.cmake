# Helpers shared by every folder: one static library per folder, one test
# executable per library, and the database fixture for tests that need it.

set(VELMORA_WARNINGS -Wall -Wextra)

# The whole tree and its tests under AddressSanitizer and UBSan; a report
# ends the test that caused it, so it cannot pass unnoticed.
if(VELMORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  set(VELMORA_SANITIZER_ENV
    "ASAN_OPTIONS=detect_stack_use_after_return=1:strict_init_order=1"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0")
endif()

# Adds each folder that has a CMakeLists.txt. A folder that appears later
# must reconfigure the build, so the nearest existing folder on its path is
# watched.
function(velmora_add_folders)
  foreach(dir IN LISTS ARGN)
    set(path "${CMAKE_CURRENT_SOURCE_DIR}/${dir}")
    if(EXISTS "${path}/CMakeLists.txt")
      add_subdirectory(${dir})
      continue()
    endif()
    while(NOT EXISTS "${path}")
      get_filename_component(path "${path}" DIRECTORY)
    endwhile()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")
  endforeach()
endfunction()

# velmora_library(<target> SOURCES ... [LIBS ...] [PCH])
function(velmora_library target)
  cmake_parse_arguments(ARG "PCH" "" "SOURCES;LIBS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${VELMORA_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  set_target_properties(${target} PROPERTIES AUTOMOC OFF)
  if(ARG_PCH)
    target_precompile_headers(${target} PRIVATE "${PROJECT_SOURCE_DIR}/cmake/QtPch.h")
  endif()
endfunction()

# velmora_test(<target> SOURCES ... [LIBS ...] [DATABASE])
# DATABASE tests share the private PostgreSQL server: they get its ODBC
# environment and run one at a time.
function(velmora_test target)
  cmake_parse_arguments(ARG "DATABASE" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${VELMORA_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} tests_support GTest::gtest)
  target_precompile_headers(${target} PRIVATE "${PROJECT_SOURCE_DIR}/tests/support/TestPch.h")
  add_test(NAME ${target} COMMAND ${target} --gtest_color=no)
  set(env "QT_QPA_PLATFORM=offscreen" "VELMORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
          "VELMORA_TEST_OUTPUT=${PROJECT_BINARY_DIR}/test-output" ${VELMORA_SANITIZER_ENV})
  if(ARG_DATABASE)
    list(APPEND env "ODBCINI=${VELMORA_TESTDB_DIR}/odbc.ini"
                    "VELMORA_TESTDB_DIR=${VELMORA_TESTDB_DIR}")
    set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED pgserver
                                              RESOURCE_LOCK pgdatabase)
  endif()
  set_tests_properties(${target} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 900)
endfunction()
