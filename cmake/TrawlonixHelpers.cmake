# tx_library(NAME [DEPS ...]): a static library from every .cpp in the current
# folder (not recursive). Folders still without sources give an INTERFACE
# target so that dependants configure before the code lands.
function(tx_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# tx_gtest(NAME DIR [DEPS ...]): one GoogleTest program from every .cpp in DIR,
# registered with ctest case by case. Skipped while DIR holds no tests.
function(tx_gtest name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;LABELS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  if(NOT ARG_DEPS MATCHES "Qt6::")
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_compile_definitions(${name} PRIVATE TX_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             TX_BINARY_DIR="${PROJECT_BINARY_DIR}")
  include(GoogleTest)
  # The tests pin the Chinese texts (the source language): they run under a
  # Chinese locale whatever the caller's is; English tests say --lang en.
  # NO_PRETTY_VALUES: rows of a table are named by their stable index, not by
  # a byte dump of the row (which holds pointers and changes every build).
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES LABELS "${ARG_LABELS}"
                       ENVIRONMENT "LC_ALL=zh_CN.UTF-8")
endfunction()
