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
  set_tests_properties(${NAME} PROPERTIES LABELS ${T_LABEL}
    ENVIRONMENT "PRISMKEY_BUILD_DIR=${CMAKE_BINARY_DIR};PRISMKEY_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
