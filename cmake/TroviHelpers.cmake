# One static library per layer folder. Sources are listed recursively on
# purpose: a layer's subfolders (engine/sources/<source>/, …) belong to it, so
# adding a file or a source folder never needs a CMake edit.
# LIBS are what the layer's public headers expose to the layers above;
# PRIVATE_LIBS stay inside the layer. EXCLUDE_DIRS are subfolders built as
# targets of their own (a runtime-loaded module).
function(trovi_add_library name)
  cmake_parse_arguments(ARG "" "" "LIBS;PRIVATE_LIBS;EXCLUDE_DIRS" ${ARGN})
  file(GLOB_RECURSE _sources CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  foreach(_dir ${ARG_EXCLUDE_DIRS})
    list(FILTER _sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${_dir}/")
  endforeach()
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC "${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
endfunction()

# Every tst_*.cpp below the calling folder becomes one Qt Test executable and
# one CTest test. Tests run offscreen with a throwaway HOME and XDG folders, so
# no test can touch the developer's own preferences.
function(trovi_add_tests)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB_RECURSE _tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
  file(MAKE_DIRECTORY "${PROJECT_BINARY_DIR}/test-home/.config")
  foreach(_test ${_tests})
    get_filename_component(_name ${_test} NAME_WE)
    get_filename_component(_dir ${_test} DIRECTORY)
    add_executable(${_name} ${_test})
    # Notion tests load the HTTP module from the build tree.
    if(TARGET trovi-notion-http)
      add_dependencies(${_name} trovi-notion-http)
    endif()
    target_link_libraries(${_name} PRIVATE ${ARG_LIBS} trovi_test_support Qt6::Test)
    target_include_directories(${_name} PRIVATE "${PROJECT_SOURCE_DIR}")
    target_compile_definitions(${_name} PRIVATE
      TROVI_TEST_SOURCE_DIR="${_dir}"
      TROVI_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures"
      TROVI_BINARY_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${_name} COMMAND ${_name})
    set_tests_properties(${_name} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;HOME=${PROJECT_BINARY_DIR}/test-home;XDG_CONFIG_HOME=${PROJECT_BINARY_DIR}/test-home/.config;XDG_DATA_HOME=${PROJECT_BINARY_DIR}/test-home/.local/share"
      TIMEOUT 120)
  endforeach()
endfunction()
