# cmake -DEXE=path -P CheckLargeAddressAware.cmake: fails unless the PE header of EXE carries the
# large-address-aware flag, which gives a 32-bit program 4 GiB of address space on 64-bit Windows
# instead of 2 GiB. Read from the file itself, so no tool of the toolchain is needed.

# The little-endian number of `length` bytes at `offset`.
function(read_le out offset length)
  file(READ "${EXE}" hex OFFSET ${offset} LIMIT ${length} HEX)
  set(value "")
  string(LENGTH "${hex}" digits)
  while(digits GREATER 0)
    math(EXPR digits "${digits} - 2")
    string(SUBSTRING "${hex}" ${digits} 2 byte)
    string(APPEND value "${byte}")
  endwhile()
  math(EXPR value "0x${value}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

if(NOT EXISTS "${EXE}")
  message(FATAL_ERROR "${EXE} does not exist")
endif()
read_le(header 60 4)  # e_lfanew: where the "PE\0\0" signature stands
math(EXPR characteristicsAt "${header} + 22")  # signature, machine, then five more fields
read_le(characteristics ${characteristicsAt} 2)
math(EXPR flag "${characteristics} & 0x20")  # IMAGE_FILE_LARGE_ADDRESS_AWARE
if(flag EQUAL 0)
  message(FATAL_ERROR "${EXE} is not large-address-aware (characteristics ${characteristics})")
endif()
message(STATUS "${EXE} is large-address-aware")
