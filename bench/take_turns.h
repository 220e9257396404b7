#pragma once

// Runs the two timed parts of repetition `r`, first one then the other, the order changing with
// every repetition: whichever goes second meets a machine the first has left warm, or busy
// writing its pages back, and neither may always be that one.
template <typename First, typename Second>
void TakeTurns(int r, First&& first, Second&& second) {
  if (r % 2 == 0) {
    first();
    second();
  } else {
    second();
    first();
  }
}
