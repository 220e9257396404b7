#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "win32/owned_handle.h"

// Gives the file or folder at `path` one access entry: everyone may do anything with it, as a
// file another user left writable would let them.
inline void LetEveryoneWrite(const std::string& path) {
  PSECURITY_DESCRIPTOR open = nullptr;
  PACL list = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(A;;FA;;;WD)", SDDL_REVISION_1, &open, nullptr));
  const TLocalMemory owned(open);
  ASSERT_TRUE(GetSecurityDescriptorDacl(open, &present, &list, &defaulted));
  std::string named = path;
  ASSERT_EQ(SetNamedSecurityInfoA(named.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, list,
                                  nullptr),
            DWORD{ERROR_SUCCESS});
}
