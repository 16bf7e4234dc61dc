# Helpers shared by every module's CMakeLists.txt.
#
#   tobrel_library(NAME SOURCES ... [PUBLIC lib...] [PRIVATE lib...])
#       a static library tobrel_NAME whose folder is on its users' include path.
#       PUBLIC: libraries a header of NAME includes (its users need them too);
#       PRIVATE: libraries only its sources use (still linked into every
#       program that links NAME, since NAME is static).
#   tobrel_test(NAME LABELS label... SOURCES ... [LIBS ...] [ENV VAR=value...])
#       a GoogleTest executable registered with ctest under the given labels
#       (unit, audio, ui). Each test gets a private scratch folder in
#       TOBREL_TEST_TMP and runs with the offscreen Qt platform.

function(tobrel_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE;LIBS" ${ARGN})
  if(ARG_LIBS)
    message(FATAL_ERROR "tobrel_library(${name}): LIBS is gone; name each library PUBLIC (a header of "
                        "${name} includes it) or PRIVATE (only its sources do)")
  endif()
  add_library(tobrel_${name} STATIC ${ARG_SOURCES})
  target_include_directories(tobrel_${name} PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
  target_link_libraries(tobrel_${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
endfunction()

function(tobrel_test name)
  cmake_parse_arguments(ARG "" "" "LABELS;SOURCES;LIBS;ENV" ${ARGN})
  add_executable(test_${name} ${ARG_SOURCES})
  target_link_libraries(test_${name} PRIVATE ${ARG_LIBS} tobrel_testsupport GTest::gmock GTest::gtest_main)
  add_test(NAME ${name} COMMAND test_${name})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  set(scratch "${CMAKE_BINARY_DIR}/test-scratch/${name}")
  if(TOBREL_TSAN)
    list(APPEND ARG_ENV "TSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/tsan.supp")
  endif()
  set_tests_properties(${name} PROPERTIES
    LABELS "${ARG_LABELS}"
    ENVIRONMENT "TOBREL_TEST_TMP=${scratch};QT_QPA_PLATFORM=offscreen;TOBREL_SOURCE_DIR=${CMAKE_SOURCE_DIR};TOBREL_BINARY_DIR=${CMAKE_BINARY_DIR};${ARG_ENV}")
endfunction()
