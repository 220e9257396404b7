// The end-to-end driver: runs the scenario named on the command line against the real program.
#include "tests/e2e/harness_win32.h"

using namespace e2e;

// The scenario is named on the command line; without a name, the mouse's whole job.
int main(int argc, char** argv) {
  startTick = GetTickCount();
  const std::string scenario = argc > 1 ? argv[1] : "mouse";
  try {
    TTempFolder temp;
    if (scenario == "mouse") {
      UserBuildsCopiesAndReruns(temp);
    } else if (scenario == "keyboard") {
      KeyboardOnlyJob(temp);
    } else if (scenario == "keys") {
      KeysInEveryEditor();
    } else if (scenario == "clamp") {
      ClampOnLeavingByTheTree(temp);
    } else if (scenario == "boxes") {
      KeyboardAfterEveryBox(temp);
    } else if (scenario == "code-page") {
      JapaneseNameUnderAnyCodePage(temp);
    } else {
      throw TFailure("no scenario \"" + scenario + "\"");
    }
  } catch (const std::exception& error) {
    Log("FAILED: %s", Ascii(error.what()).c_str());
    return 1;
  }
  Log("passed");
  return 0;
}

