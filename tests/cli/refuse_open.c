/* Preloaded into tandelo-cli, makes the files whose names end with $TANDELO_REFUSE_OPEN_END
   impossible to create, as a full disk, a read-only folder or a quota would: open and openat with
   O_CREAT fail with EACCES for them. Root passes every permission check, so a test run as root
   cannot make such a file otherwise. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

typedef int (*openat_function)(int, const char*, int, ...);
typedef int (*open_function)(const char*, int, ...);

static int refused(const char* path, int flags) {
  const char* end = getenv("TANDELO_REFUSE_OPEN_END");
  if (!end || !*end || !(flags & O_CREAT)) return 0;
  const size_t length = strlen(path), endLength = strlen(end);
  if (length < endLength || strcmp(path + length - endLength, end) != 0) return 0;
  errno = EACCES;
  return 1;
}

static mode_t mode_of(int flags, va_list arguments) {
  return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(arguments, mode_t) : 0;
}

#define FORWARD_AT(name)                                                    \
  int name(int folder, const char* path, int flags, ...) {                 \
    va_list arguments;                                                      \
    va_start(arguments, flags);                                             \
    const mode_t mode = mode_of(flags, arguments);                          \
    va_end(arguments);                                                      \
    if (refused(path, flags)) return -1;                                    \
    return ((openat_function)dlsym(RTLD_NEXT, #name))(folder, path, flags, mode); \
  }

#define FORWARD(name)                                                       \
  int name(const char* path, int flags, ...) {                             \
    va_list arguments;                                                      \
    va_start(arguments, flags);                                             \
    const mode_t mode = mode_of(flags, arguments);                          \
    va_end(arguments);                                                      \
    if (refused(path, flags)) return -1;                                    \
    return ((open_function)dlsym(RTLD_NEXT, #name))(path, flags, mode);     \
  }

FORWARD_AT(openat)
FORWARD_AT(openat64)
FORWARD(open)
FORWARD(open64)
