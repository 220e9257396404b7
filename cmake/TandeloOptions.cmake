# Compiler settings for the project's own targets. GoogleTest and other third-party code do not
# get them: the Shift-JIS execution character set is ours alone.
add_library(tandelo_options INTERFACE)
target_compile_options(tandelo_options INTERFACE
  -Wall -Wextra
  # Sources are UTF-8; string literals become Shift-JIS bytes, the program's ANSI code page.
  -finput-charset=UTF-8 -fexec-charset=CP932)
target_include_directories(tandelo_options INTERFACE ${PROJECT_SOURCE_DIR})

if(WIN32)
  # GCC 12 for 32-bit Windows folds functions with the same body without comparing their calling
  # conventions: an empty member function (which pops its arguments) and an empty lambda behind a
  # std::function (whose caller pops them) became one function, and every call through the
  # std::function left the stack four bytes off. Everything built for Windows, GoogleTest
  # included, is compiled without that folding.
  add_compile_options(-fno-ipa-icf)
endif()

if(WIN32)
  # One executable that imports only system DLLs.
  target_link_options(tandelo_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()

if(WIN32)
  # For the executables that hold the list of names: 4 GiB of address space instead of 2 GiB on
  # 64-bit Windows, where the list is what fills it.
  add_library(tandelo_large_address_aware INTERFACE)
  target_link_options(tandelo_large_address_aware INTERFACE -Wl,--large-address-aware)
endif()
