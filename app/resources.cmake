# The program's resources (icon, rule tree pictures, manifest, version information) and the small
# library that loads them. Link both into the executable: the loader looks the resources up in
# the module that runs it.
if(WIN32)

  # The version and copyright come from cmake/TandeloVersion.cmake, which writes tandelo_version.h.
  set(tandelo_res_generated ${CMAKE_CURRENT_BINARY_DIR}/res)
  # The Japanese code page for the program's Shift-JIS texts, asked for by its locale name, which
  # Windows 11 and Server 2022 honour under any system locale (the program refuses to run where
  # the system gives it another).
  set(TANDELO_CODE_PAGE_SETTING
      "      <activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">ja-JP</activeCodePage>")
  configure_file(res/app.manifest.in ${tandelo_res_generated}/app.manifest @ONLY)

  # An object library, not a static one: the linker would drop resource objects from an archive,
  # since no code refers to them.
  add_library(app_resources OBJECT res/tandelo.rc)
  target_include_directories(app_resources PRIVATE
    ${CMAKE_CURRENT_SOURCE_DIR}/res ${tandelo_res_generated} ${TANDELO_VERSION_HEADER_DIR} ${PROJECT_SOURCE_DIR}/win32)
  # windres writes no dependency file: without these, edited pictures or headers would not rebuild.
  set_source_files_properties(res/tandelo.rc PROPERTIES OBJECT_DEPENDS
    "${PROJECT_SOURCE_DIR}/win32/version_info.rc;${CMAKE_CURRENT_SOURCE_DIR}/res/resource.h;${CMAKE_CURRENT_SOURCE_DIR}/res/tandelo.ico;${CMAKE_CURRENT_SOURCE_DIR}/res/rule_images.bmp;${TANDELO_VERSION_HEADER_DIR}/tandelo_version.h;${tandelo_res_generated}/app.manifest")

  add_library(app_resource_loader STATIC resources_win32.cpp)
  target_link_libraries(app_resource_loader PUBLIC tandelo_options comctl32)
endif()
