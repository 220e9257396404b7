#pragma once

#include <dirent.h>
#include <iconv.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

// Owners of the system's handles on Linux, one template for every kind: file descriptors,
// folder listings, character set converters and memory the C library allocated for an answer.
// None can be copied; all can be moved.

// Owns one handle and releases it with `TKind::Close` at the end. `TKind` names the handle's type,
// the value that holds nothing and which values are handles.
template <typename TKind>
class TOwned {
 public:
  using THandle = typename TKind::THandle;

  explicit TOwned(THandle handle = TKind::None()) : handle_(handle) {}
  ~TOwned() { Reset(); }
  TOwned(TOwned&& other) noexcept : handle_(std::exchange(other.handle_, TKind::None())) {}
  TOwned& operator=(TOwned&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, TKind::None()));
    return *this;
  }
  TOwned(const TOwned&) = delete;
  TOwned& operator=(const TOwned&) = delete;

  THandle Get() const { return handle_; }
  // Gives the handle up to whoever took it over (fdopendir takes the descriptor it lists).
  THandle Release() { return std::exchange(handle_, TKind::None()); }
  void Reset(THandle handle = TKind::None()) {
    if (TKind::Holds(handle_)) TKind::Close(handle_);
    handle_ = handle;
  }

 private:
  THandle handle_;
};

template <typename TKind>
bool IsOpen(const TOwned<TKind>& owned) {
  return TKind::Holds(owned.Get());
}

struct TDescriptorKind {
  using THandle = int;
  static int None() { return -1; }
  // Every call that fails to open says so with -1; AT_FDCWD, also negative, is no handle either.
  static bool Holds(int fd) { return fd >= 0; }
  // Never retried: Linux has released the number even when close is interrupted, and it may be
  // another thread's by then.
  static void Close(int fd) { close(fd); }
};
struct TListingKind {
  using THandle = DIR*;
  static DIR* None() { return nullptr; }
  static bool Holds(DIR* listing) { return listing != nullptr; }
  static void Close(DIR* listing) { closedir(listing); }
};
struct TConverterKind {
  using THandle = iconv_t;
  // iconv_open says "none" with (iconv_t)-1, not null.
  static iconv_t None() { return reinterpret_cast<iconv_t>(-1); }
  static bool Holds(iconv_t converter) { return converter != None(); }
  static void Close(iconv_t converter) { iconv_close(converter); }
};
template <typename T>
struct TMemoryKind {
  using THandle = T*;
  static T* None() { return nullptr; }
  static bool Holds(T* memory) { return memory != nullptr; }
  static void Close(T* memory) { std::free(memory); }
};

// A file, a folder or anything else open as a descriptor; IsOpen() tells whether it holds one.
using TFileDescriptor = TOwned<TDescriptorKind>;
// A folder being listed (opendir, fdopendir), with the descriptor it reads through.
using TFolderListing = TOwned<TListingKind>;
// A character set converter (iconv_open).
using TConverter = TOwned<TConverterKind>;
// Memory a system call allocated for its answer (realpath(path, nullptr), ...).
template <typename T>
using TSystemMemory = TOwned<TMemoryKind<T>>;
