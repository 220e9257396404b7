#pragma once

#include <string>
#include <vector>

#include "naming/validation.h"

// A message sink that keeps every message it is given, in order.
class TRecordingMessages : public IMessageSink {
 public:
  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
  std::vector<std::string> Messages;
};
