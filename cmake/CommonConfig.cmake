# One INTERFACE target that every target links: language level, warnings and
# the project-wide Qt defines (explicit UTF-8 literals for a Spanish UI).
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_AUTOMOC ON)

find_program(VK7_CCACHE ccache)
if(VK7_CCACHE)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${VK7_CCACHE})
endif()

option(VK7_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VK7_TSAN "Build with ThreadSanitizer (the threaded tests' build)" OFF)
# Fuzz targets (fuzz/): the logic libraries and libFuzzer programs, built with
# clang under AddressSanitizer and UndefinedBehaviorSanitizer; no tests,
# benchmarks, windows or programs.
option(VK7_FUZZ "Build the fuzz targets only (needs clang)" OFF)
if(VK7_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "VK7_FUZZ needs clang: -DCMAKE_CXX_COMPILER=clang++")
endif()

add_library(vk7_common INTERFACE)
target_compile_features(vk7_common INTERFACE cxx_std_20)
target_compile_definitions(vk7_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_USE_QSTRINGBUILDER
  QT_NO_KEYWORDS)
target_compile_options(vk7_common INTERFACE -Wall -Wextra -Wno-unused-parameter)

if(VK7_FUZZ)
  target_compile_options(vk7_common INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  target_link_options(vk7_common INTERFACE -fsanitize=address,undefined)
elseif(VK7_SANITIZE)
  target_compile_options(vk7_common INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vk7_common INTERFACE -fsanitize=address,undefined)
elseif(VK7_TSAN)
  target_compile_options(vk7_common INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(vk7_common INTERFACE -fsanitize=thread)
endif()

# Test labels, so that `ctest -L unit` runs the fast tests alone: `system`
# tests run the built programs whole (vk7check, vk7 under Xvfb, the package);
# `root` tests need root (immutable files, the PDF backend of the test CUPS
# server they start); every other test is a `unit` test. Each test gets its
# labels where it is declared: vk7_label_test(name [system] [root]) beside
# its add_test, or SYSTEM_TESTS / ROOT_TESTS in the folder's call that makes
# its test programs.
function(vk7_label_test name)
  set(labels ${ARGN})
  if(NOT labels)
    set(labels unit)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${labels}")
  # The programs a test runs keep no reception register (none in the user's
  # data folder); the register's own tests name theirs.
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "VK7_REGISTRO=off")
endfunction()

# The labels of the test `name` from the lists a folder gives.
function(vk7_labels_from out name system_tests root_tests)
  set(labels)
  if(name IN_LIST system_tests)
    list(APPEND labels system)
  endif()
  if(name IN_LIST root_tests)
    list(APPEND labels root)
  endif()
  set(${out} ${labels} PARENT_SCOPE)
endfunction()

# A name in those lists that no test has would leave a root test among the
# `unit` ones unseen: it stops the configuration.
function(vk7_require_tests)
  foreach(name ${ARGN})
    if(NOT TEST ${name})
      message(FATAL_ERROR "No test ${name} in ${CMAKE_CURRENT_SOURCE_DIR} to label")
    endif()
  endforeach()
endfunction()

# Adds a GoogleTest executable for one unit, registered with CTest.
# Usage: vk7_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [OFFSCREEN])
function(vk7_add_test)
  cmake_parse_arguments(T "OFFSCREEN" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE vk7_common ${T_LIBS} vk7_testing GTest::gtest GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    VK7_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    VK7_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  vk7_label_test(${T_NAME} ${T_LABELS})
  if(T_OFFSCREEN)
    set_property(TEST ${T_NAME} APPEND PROPERTY ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()

target_include_directories(vk7_common INTERFACE ${CMAKE_SOURCE_DIR})

# Every tests/*_test.cpp of the current folder as a test executable named
# <prefix>_<file>, linked to the libraries given; the tests named in
# SYSTEM_TESTS and ROOT_TESTS get those labels, the others are `unit`.
# Usage: vk7_add_folder_tests(prefix libs... [SYSTEM_TESTS names...] [ROOT_TESTS names...])
function(vk7_add_folder_tests prefix)
  cmake_parse_arguments(F "" "" "SYSTEM_TESTS;ROOT_TESTS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*_test.cpp)
  foreach(t ${tests})
    get_filename_component(base ${t} NAME_WE)
    vk7_labels_from(labels ${prefix}_${base} "${F_SYSTEM_TESTS}" "${F_ROOT_TESTS}")
    vk7_add_test(NAME ${prefix}_${base} SOURCES ${t} LIBS ${F_UNPARSED_ARGUMENTS}
                 LABELS ${labels} OFFSCREEN)
  endforeach()
  # The window tests are made after these (vk7_add_folder_library checks them).
  set(named ${F_SYSTEM_TESTS} ${F_ROOT_TESTS})
  list(FILTER named EXCLUDE REGEX "^${prefix}_ui_")
  vk7_require_tests(${named})
endfunction()

# One subsystem folder: its *.cpp make the logic library <NAME>; ui/*.cpp make
# <NAME>_ui (the only place Widgets is linked); every tests/*_test.cpp and
# ui/tests/*_test.cpp is a test executable of its own, the other tests/*.cpp
# are shared test support for that folder, and bench/*_bench.cpp are
# benchmark programs built into build/bench. ROOT_TESTS names the tests
# (as CTest names them) that need root; the others are `unit`.
# Usage: vk7_add_folder_library(NAME lib LIBS public-deps... [PRIVATE_LIBS ...] [UI_LIBS ...]
#                               [ROOT_TESTS ...])
function(vk7_add_folder_library)
  cmake_parse_arguments(L "" "NAME" "LIBS;PRIVATE_LIBS;UI_LIBS;ROOT_TESTS" ${ARGN})
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(folder ${dir} NAME)

  file(GLOB cpp CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${dir}/*.h)
  if(cpp)
    add_library(${L_NAME} STATIC ${cpp} ${headers})
    target_link_libraries(${L_NAME} PUBLIC vk7_common ${L_LIBS} PRIVATE ${L_PRIVATE_LIBS})
  else()
    add_library(${L_NAME} INTERFACE)
    target_link_libraries(${L_NAME} INTERFACE vk7_common ${L_LIBS})
  endif()

  if(VK7_FUZZ)
    return()
  endif()

  file(GLOB ui_cpp CONFIGURE_DEPENDS ${dir}/ui/*.cpp)
  file(GLOB ui_headers CONFIGURE_DEPENDS ${dir}/ui/*.h)
  if(ui_cpp)
    add_library(${L_NAME}_ui STATIC ${ui_cpp} ${ui_headers})
    target_link_libraries(${L_NAME}_ui PUBLIC ${L_NAME} Qt6::Widgets Qt6::PrintSupport ${L_UI_LIBS})
  endif()

  file(GLOB support CONFIGURE_DEPENDS ${dir}/tests/*.cpp)
  list(FILTER support EXCLUDE REGEX "_test\\.cpp$")
  set(support_lib)
  if(support)
    add_library(${L_NAME}_testsupport STATIC ${support})
    target_link_libraries(${L_NAME}_testsupport PUBLIC vk7_common ${L_NAME} GTest::gtest Qt6::Gui)
    target_compile_definitions(${L_NAME}_testsupport PUBLIC
      VK7_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VK7_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    set(support_lib ${L_NAME}_testsupport)
  endif()

  vk7_add_folder_tests(${folder} ${L_NAME} ${support_lib} ROOT_TESTS ${L_ROOT_TESTS})
  # Benchmarks are programs that print figures, not tests.
  file(GLOB benches CONFIGURE_DEPENDS ${dir}/bench/*_bench.cpp)
  foreach(b ${benches})
    get_filename_component(base ${b} NAME_WE)
    add_executable(${folder}_${base} ${b})
    target_link_libraries(${folder}_${base} PRIVATE ${L_NAME} ${support_lib})
    target_compile_definitions(${folder}_${base} PRIVATE
      VK7_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VK7_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    set_target_properties(${folder}_${base} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  endforeach()
  if(ui_cpp)
    file(GLOB ui_tests CONFIGURE_DEPENDS ${dir}/ui/tests/*_test.cpp)
    foreach(t ${ui_tests})
      get_filename_component(base ${t} NAME_WE)
      vk7_labels_from(labels ${folder}_ui_${base} "" "${L_ROOT_TESTS}")
      vk7_add_test(NAME ${folder}_ui_${base} SOURCES ${t} LIBS ${L_NAME}_ui ${support_lib}
                   LABELS ${labels} OFFSCREEN)
    endforeach()
  endif()
  vk7_require_tests(${L_ROOT_TESTS})
endfunction()
