# One static library per folder under src/, its sources picked up by glob so that adding a file
# needs no edit here. Qt headers come precompiled once and are reused by every library.
function(causali_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${_sources} ${_headers})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  if(TARGET causali_pch)
    target_precompile_headers(${name} REUSE_FROM causali_pch)
  endif()
endfunction()

# One test executable per folder under tests/, every *.cpp of the folder in it.
function(causali_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${name} ${_sources})
  # Programs that link the test support take its main (it closes the widget tests' application
  # before exit); the others take Google Test's.
  if("causali_test_support" IN_LIST ARG_DEPS)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(TARGET causali_pch)
    target_precompile_headers(${name} REUSE_FROM causali_pch)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  # The suites that also run on the server (tests/CMakeLists.txt lists them): every test once
  # more as "pg.<test>", its databases on the test server, bar the ones that mean SQLite only.
  if(name IN_LIST CAUSALI_SERVER_SUITES)
    set(_filter "*")
    if(CAUSALI_SQLITE_ONLY_${name})
      list(JOIN CAUSALI_SQLITE_ONLY_${name} ":" _only)
      set(_filter "*-${_only}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_PREFIX "pg." TEST_FILTER "${_filter}"
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                         ENVIRONMENT_MODIFICATION "CAUSALI_TEST_BACKEND=set:postgresql"
                         # Skipped, as a whole program, without a test server.
                         SKIP_REGULAR_EXPRESSION "  SKIPPED |: Skipped")
  endif()
endfunction()
