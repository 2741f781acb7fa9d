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

# The tree under ThreadSanitizer (not together with the option above): a data
# race ends the test that ran into it.
if(VELMORA_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
  set(VELMORA_SANITIZER_ENV "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1")
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

# Layers, bottom up. A library sees its own layer and the layers below it,
# never one above: each layer has a staged include folder that holds only a
# link to the layer's source folder ("<build>/layers/gridlib/gridlib"), and
# the libraries of a layer export that folder alone. A library gets the
# folders below through the libraries it links, so "platform/data/DB.h"
# resolves in gridlib/ and "app/Unit1.h" does not. cmake/CheckLayers.cmake
# checks the Qt headers, which no include path can keep apart.
set(VELMORA_LAYERS platform gridlib report app)

# The staged include folder of a top-level source folder.
function(velmora_layer_include_dir folder out)
  set(dir "${PROJECT_BINARY_DIR}/layers/${folder}")
  if(NOT IS_SYMLINK "${dir}/${folder}")
    file(MAKE_DIRECTORY "${dir}")
    file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${dir}/${folder}" SYMBOLIC)
  endif()
  set(${out} "${dir}" PARENT_SCOPE)
endfunction()

# velmora_library(<target> SOURCES ... [LIBS ...] [PCH])
# PCH precompiles the headers its layer may see: all of Qt for the platform,
# the standard library and QtCore value types above it.
function(velmora_library target)
  cmake_parse_arguments(ARG "PCH" "" "SOURCES;LIBS" ${ARGN})
  file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  string(REGEX MATCH "^[^/]+" layer "${rel}")
  if(NOT layer IN_LIST VELMORA_LAYERS)
    message(FATAL_ERROR "velmora_library(${target}): ${rel} is in no layer of ${VELMORA_LAYERS}")
  endif()
  add_library(${target} STATIC ${ARG_SOURCES})
  velmora_layer_include_dir(${layer} include_dir)
  target_include_directories(${target} PUBLIC "${include_dir}")
  target_compile_options(${target} PRIVATE ${VELMORA_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  set_target_properties(${target} PROPERTIES AUTOMOC OFF)
  if(ARG_PCH AND layer STREQUAL "platform")
    target_precompile_headers(${target} PRIVATE "${PROJECT_SOURCE_DIR}/cmake/QtPch.h")
  elseif(ARG_PCH)
    target_precompile_headers(${target} PRIVATE "${PROJECT_SOURCE_DIR}/cmake/CorePch.h")
  endif()
endfunction()

# The CTest check that every include keeps to its layer.
function(velmora_layer_check)
  get_target_property(dirs Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
  set(qt_headers "")
  foreach(dir IN LISTS dirs)
    if(dir MATCHES "^(.*)/QtCore$")
      set(qt_headers "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  if(NOT qt_headers)
    message(FATAL_ERROR "velmora_layer_check: no QtCore folder among ${dirs}")
  endif()
  add_test(NAME layer_check
           COMMAND "${CMAKE_COMMAND}" "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}" "-DQT_HEADERS=${qt_headers}"
                   -P "${PROJECT_SOURCE_DIR}/cmake/CheckLayers.cmake")
endfunction()

# velmora_test(<target> SOURCES ... [LIBS ...] [DATABASE])
# DATABASE tests share the private PostgreSQL server: they get its ODBC
# environment and run one at a time.
function(velmora_test target)
  cmake_parse_arguments(ARG "DATABASE" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${VELMORA_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} tests_support GTest::gtest)
  # One precompiled header for every test: each copy is some 400 MB.
  target_precompile_headers(${target} REUSE_FROM tests_support)
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
