# GoogleTest for both trees: the machine's prebuilt library natively, the sources cross-built for
# Windows.
if(CMAKE_CROSSCOMPILING)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
if(WIN32)
  # Every test is its own process: GoogleTest built with MinGW does not survive a crash inside a
  # test, and the list is read at test time so a cross build never starts Wine.
  set(TANDELO_DISCOVERY_MODE PRE_TEST)
else()
  set(TANDELO_DISCOVERY_MODE POST_BUILD)
endif()
include(GoogleTest)

# tandelo_add_test(NAME SOURCES... LIBS libs... [FILTER gtest-filter] [PROPERTIES name value...]):
# a GoogleTest executable registered with CTest, one test each, or only those FILTER selects, each
# with the test properties given.
function(tandelo_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FILTER" "SOURCES;LIBS;PROPERTIES")
  if(arg_FILTER)
    set(filter TEST_FILTER ${arg_FILTER})
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} tandelo_options GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name}
    DISCOVERY_MODE ${TANDELO_DISCOVERY_MODE}
    DISCOVERY_TIMEOUT 60
    ${filter}
    PROPERTIES TIMEOUT 60 ${arg_PROPERTIES})
endfunction()

# tandelo_check_large_address_aware(NAME TARGET): a test that TARGET's executable is linked
# large-address-aware.
function(tandelo_check_large_address_aware name target)
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:${target}> -P ${PROJECT_SOURCE_DIR}/cmake/CheckLargeAddressAware.cmake)
endfunction()
