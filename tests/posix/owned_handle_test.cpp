// The descriptor's owner closes what it holds exactly once, and only that.
#include "posix/owned_handle.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <utility>

namespace {

bool Open(int fd) { return fcntl(fd, F_GETFD) != -1; }

int OpenNull() { return open("/dev/null", O_RDONLY | O_CLOEXEC); }

// A move hands the descriptor over without closing it, and the owner that holds it last closes it
// once: the owners it was moved from keep nothing, so a file opened later under the same number
// (the lowest free one) outlives them.
TEST(PosixOwnedHandleTest, AMovedDescriptorIsClosedOnceByItsLastOwner) {
  const int fd = OpenNull();
  TFileDescriptor first(fd);
  TFileDescriptor second;
  {
    TFileDescriptor third(std::move(first));
    second = std::move(third);
  }
  EXPECT_TRUE(Open(fd));
  second.Reset();
  EXPECT_FALSE(Open(fd));

  const int reused = OpenNull();
  ASSERT_EQ(reused, fd);
  first.Reset();
  EXPECT_TRUE(Open(reused));
  close(reused);
}

// Taking another descriptor closes the one held; giving one up leaves it open for its taker.
TEST(PosixOwnedHandleTest, TakingAnotherClosesTheOldAndGivingUpClosesNothing) {
  const int old = OpenNull();
  const int next = OpenNull();
  TFileDescriptor owner(old);
  owner = TFileDescriptor(next);
  EXPECT_FALSE(Open(old));
  EXPECT_EQ(owner.Release(), next);
  owner.Reset();
  EXPECT_TRUE(Open(next));
  close(next);
}

}  // namespace
