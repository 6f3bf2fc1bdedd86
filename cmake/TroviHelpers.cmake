# One static library per folder, sources picked up from the folder itself so
# adding a file never needs a CMake edit.
function(trovi_add_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# Every tst_*.cpp in the calling folder becomes one Qt Test executable and one
# CTest test. Tests run offscreen with a throwaway HOME and XDG folders, so no
# test can touch the developer's own preferences.
function(trovi_add_tests)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
  file(GLOB _support CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp"
       "${CMAKE_CURRENT_SOURCE_DIR}/support/*.h")
  file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/test-home/.config")
  foreach(_test ${_tests})
    get_filename_component(_name ${_test} NAME_WE)
    add_executable(${_name} ${_test} ${_support})
    target_link_libraries(${_name} PRIVATE ${ARG_LIBS} Qt6::Test)
    target_include_directories(${_name} PRIVATE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/tests")
    target_compile_definitions(${_name} PRIVATE
      TROVI_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
      TROVI_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures"
      TROVI_BINARY_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${_name} COMMAND ${_name})
    set_tests_properties(${_name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;HOME=${PROJECT_BINARY_DIR}/test-home;XDG_CONFIG_HOME=${PROJECT_BINARY_DIR}/test-home/.config;XDG_DATA_HOME=${PROJECT_BINARY_DIR}/test-home/.local/share"
      TIMEOUT 120)
  endforeach()
endfunction()
