#pragma once

// The program's texts are Shift-JIS bytes, and the system reads every byte string it is given in
// its ANSI code page: only with code page 932 are they the characters they were written as, and a
// copy's name the name the user built. The manifest asks for 932 by its locale name, which Windows
// 11 and Server 2022 honour under any system locale; older systems keep their own code page.

// True when the process runs with code page 932. Otherwise shows, through the Unicode interface
// so that it reads right whatever the code page, why the program cannot run there and how to let
// it, in Japanese and in English, and returns false once the user has closed it.
bool HasJapaneseCodePage();
