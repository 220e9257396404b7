// What the compiler is asked to do for every target: a miscompilation here breaks code anywhere.
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

struct TReport {
  int Number;
  std::string Text;
};

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

__attribute__((noinline)) std::size_t ReportAll(const std::function<void(const TReport&)>& report, int count) {
  std::size_t length = 0;
  for (int i = 0; i < count; ++i) {
    const TReport item{i, std::string(40, 'x') + std::to_string(i)};
    report(item);
    length += item.Text.size();
  }
  return length;
}

TEST(CallingConventionTest, AnEmptyLambdaIsNotFoldedIntoAnEmptyMemberFunction) {
  TQuietSink quiet;
  Tell(quiet);
  EXPECT_EQ(ReportAll([](const TReport&) {}, 1000), 41u * 10 + 42u * 90 + 43u * 900);
}

}  // namespace
