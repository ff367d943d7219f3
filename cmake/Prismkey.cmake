# Helpers shared by the folders' CMakeLists.

include_guard(GLOBAL)

# prismkey_test(NAME SOURCES... LIBS... [LABEL unit|integration|e2e|interop|hostile|stress])
function(prismkey_test NAME)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL)
    set(T_LABEL unit)
  endif()
  add_executable(${NAME} ${T_SOURCES})
  target_link_libraries(${NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  add_test(NAME ${NAME} COMMAND ${NAME})
  # The leak checker's suppressions reach the programs that tests start, too.
  set_tests_properties(${NAME} PROPERTIES LABELS ${T_LABEL}
    ENVIRONMENT "PRISMKEY_BUILD_DIR=${CMAKE_BINARY_DIR};PRISMKEY_SOURCE_DIR=${CMAKE_SOURCE_DIR};LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")
endfunction()

# prismkey_tests(PREFIX TESTS stem... LIBS... [EXTRA_SOURCES...])
# Each <stem>.cpp of the calling folder becomes one test program named <PREFIX><stem>,
# linked with LIBS and the test support library. The label follows the name:
# ...IntegrationTests -> integration, ...InteropTests -> interop,
# ...EndToEndTests -> e2e, anything else -> unit.
function(prismkey_tests PREFIX)
  cmake_parse_arguments(T "" "" "TESTS;LIBS;EXTRA_SOURCES" ${ARGN})
  foreach(stem ${T_TESTS})
    set(label unit)
    if(stem MATCHES "IntegrationTests$")
      set(label integration)
    elseif(stem MATCHES "InteropTests$")
      set(label interop)
    elseif(stem MATCHES "EndToEndTests$")
      set(label e2e)
    endif()
    prismkey_test(${PREFIX}${stem} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${stem}.cpp ${T_EXTRA_SOURCES}
      LIBS ${T_LIBS} PrismkeyTestSupport LABEL ${label})
  endforeach()
endfunction()

# Tests that lay out text load Fontconfig, whose process-lifetime caches the leak
# checker would report. Usage: prismkey_suppress_fontconfig_leaks(test...)
function(prismkey_suppress_fontconfig_leaks)
  foreach(t ${ARGN})
    set_property(TEST ${t} APPEND PROPERTY ENVIRONMENT
      "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/Platform/CoreGraphics/lsan.supp")
  endforeach()
endfunction()
