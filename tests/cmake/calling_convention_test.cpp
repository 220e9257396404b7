// What the compiler is asked to do for every target: a miscompilation here breaks code anywhere.
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class ISink {
 public:
  virtual ~ISink() = default;
  virtual void Show(const std::string& text) = 0;
};

// An empty member function and, below, an empty lambda of the same shape: folded into one, the
// caller of the lambda and the member function would both pop its arguments.
class TQuietSink : public ISink {
 public:
  void Show(const std::string&) override {}
};

__attribute__((noinline)) void Tell(ISink& sink) { sink.Show("through the vtable"); }

__attribute__((noinline)) std::size_t ShowAll(const std::function<void(const std::string&)>& show, int count) {
  std::size_t length = 0;
  for (int i = 0; i < count; ++i) {
    const std::string text = std::string(40, 'x') + std::to_string(i);
    show(text);
    length += text.size();
  }
  return length;
}

TEST(CallingConventionTest, AnEmptyLambdaIsNotFoldedIntoAnEmptyMemberFunction) {
  TQuietSink quiet;
  Tell(quiet);
  EXPECT_EQ(ShowAll([](const std::string&) {}, 1000), 41u * 10 + 42u * 90 + 43u * 900);
}

}  // namespace
