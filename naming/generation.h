#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "naming/mbcs.h"
#include "naming/rule_tree.h"

// What one expansion of the tree produces before the join: the names in depth-first order and the
// running name counts recorded after each child handled with an empty prefix.
struct TNameList {
  std::vector<std::string> FileNames;
  std::vector<std::size_t> GroupEnds;
  // Steps the walk took: pieces appended to a prefix or made into a name, and rules passed over
  // because they make no name. At most the names made times the depth plus the number of rules.
  std::uint64_t Work = 0;
};

// Expands the children of `node` below `prefix`, appending to `list`. Along each path the pieces
// combine as a Cartesian product, the deepest rule varying fastest; a rule with children only
// prefixes. Expects a tree that passed CheckCopyInfo; letters outside AlphabetTable yield nothing.
//
// A rule that makes no name (no pieces, or nothing below its pieces) is never walked, so the work
// grows with the names made, not with the pieces above a rule that makes none. Group ends are
// those a walk of every piece records, except that where it records one end several times in a
// row fewer repeats may appear (at least one): a repeat is an empty group, which the join ignores.
// Every child of `node` still records its end when `prefix` is empty. Any depth of tree is fine:
// nothing recurses per level.
void AddNames(const TRuleNode& node, const std::string& prefix, TNameList& list);

// Called now and then (every kStillWorkingEvery names) during a long generation, so that a
// program generating on its window's thread can let the system see that it is alive.
using TStillWorking = std::function<void()>;
constexpr std::size_t kStillWorkingEvery = 1 << 16;

// The old-version join: entry k becomes the k-th name of the first group followed by the k-th
// names of the later groups. The list keeps its length; positions no group reaches become empty.
void JoinGroups(std::vector<std::string>& names, const std::vector<std::size_t>& groupEnds,
                const TStillWorking& stillWorking = {});

// Drops the empty names, keeping the order of the others.
void RemoveEmptyNames(std::vector<std::string>& names);

// The extension of `path`, text in `encoding`: from its last ".", "\", "/" or ":" to the end when
// that character is a dot, otherwise empty. A byte of a character of several bytes never counts
// (表 in Shift-JIS ends in the byte of "\").
std::string ExtractFileExt(std::string_view path, TEncoding encoding);

// The whole generation: expand, join when asked, drop empty names, append the source's extension.
// The rules' text and `sourcePath` are in `encoding`; names are made by joining their bytes, so
// they are in it too. With the join and a root without children the list is empty.
std::vector<std::string> MakeFileNames(const TRuleTree& tree, bool join, std::string_view sourcePath,
                                       TEncoding encoding, const TStillWorking& stillWorking = {});

// How many names AddNames makes from the root, counted without making them: all of them, and
// those that are not empty (a name is empty when every piece on its path is empty). Both
// saturate at the maximum, which then stands for that many or more.
struct TNameCount {
  std::uint64_t Made = 0;
  std::uint64_t NotEmpty = 0;
};
TNameCount CountNames(const TRuleTree& tree);

// The most names MakeFileNames holds at once: without the join the names that are not empty
// (empty ones are never stored), with the join every name made, since the join needs every
// position before the empty ones are dropped.
std::uint64_t NamesHeld(const TRuleTree& tree, bool join);

// The most names one generation may hold (NamesHeld), for the program and for tandelo-cli alike.
// Measured by bench/capacity_probe in the 32-bit build under Wine: a 30-byte name with its
// extension takes about 70 bytes, so about 58 million fit with the large-address-aware flag and
// 29 million in 2 GiB without it (with the join, 82 and 42 million halves of 15 bytes). The limit
// stays well below both, for longer names, and because ten million names already take seconds to
// make on the window's thread and hours to copy.
constexpr std::uint64_t kMaxFileNames = 10'000'000;
