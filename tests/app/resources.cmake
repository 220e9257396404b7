if(WIN32)
  # The resources are linked into the test itself: the loader finds them in the running module,
  # and the manifest decides which common controls the test gets, as it does for the program.
  tandelo_add_test(resources_tests
    SOURCES resources_win32_test.cpp
    LIBS app_resource_loader app_resources version)
  # What the version resource must say, straight from project() rather than through the header
  # the resources are built from.
  target_compile_definitions(resources_tests PRIVATE
    TANDELO_TEST_VERSION_TEXT="${PROJECT_VERSION}"
    TANDELO_TEST_VERSION_MAJOR=${PROJECT_VERSION_MAJOR}
    TANDELO_TEST_VERSION_MINOR=${PROJECT_VERSION_MINOR}
    TANDELO_TEST_COPYRIGHT="${TANDELO_COPYRIGHT}")
endif()
