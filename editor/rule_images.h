#pragma once

// The rule tree's pictures, by their index in the image list the editor is given.
inline constexpr int kRootImage = 0;  // the closed book at the root of the tree
inline constexpr int kRuleImage = 1;  // two sheets with text: one naming rule
inline constexpr int kRuleImageSize = 16;
