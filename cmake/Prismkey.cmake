# Helpers shared by the folders' CMakeLists.

include_guard(GLOBAL)

# Every subfolder of DIR that has a CMakeLists.txt, added in name order, so that a
# new area of tests or benchmarks joins the build by existing.
function(prismkey_add_subfolders DIR)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${DIR} ${DIR}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${DIR}/${child} AND EXISTS ${DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# prismkey_test(NAME SOURCES... LIBS... LABEL unit|integration|e2e|interop)
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
    ENVIRONMENT "PRISMKEY_BUILD_DIR=${CMAKE_BINARY_DIR};PRISMKEY_SOURCE_DIR=${CMAKE_SOURCE_DIR};LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
endfunction()

# Every *Tests.cpp in the calling folder becomes one test program named
# <PREFIX><file name>, linked with LIBS. The label follows the file name:
# ...IntegrationTests -> integration, ...InteropTests -> interop,
# ...EndToEndTests -> e2e, anything else -> unit.
function(prismkey_tests_from_folder PREFIX)
  cmake_parse_arguments(T "" "" "LIBS;EXTRA_SOURCES" ${ARGN})
  file(GLOB files CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Tests.cpp)
  foreach(f ${files})
    get_filename_component(stem ${f} NAME_WE)
    set(label unit)
    if(stem MATCHES "IntegrationTests$")
      set(label integration)
    elseif(stem MATCHES "InteropTests$")
      set(label interop)
    elseif(stem MATCHES "EndToEndTests$")
      set(label e2e)
    endif()
    prismkey_test(${PREFIX}${stem} SOURCES ${f} ${T_EXTRA_SOURCES} LIBS ${T_LIBS} PrismkeyTestSupport LABEL ${label})
  endforeach()
endfunction()

# The libraries that exist so far, for programs that may use any of them.
function(prismkey_existing_targets OUT)
  set(result)
  foreach(t ${ARGN})
    if(TARGET ${t})
      list(APPEND result ${t})
    endif()
  endforeach()
  set(${OUT} ${result} PARENT_SCOPE)
endfunction()
