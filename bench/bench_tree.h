// The standard tree that the scan benchmarks walk, made on first use and shared between runs.
#pragma once

#include <filesystem>

namespace qrvl::bench {

// 100 directories of 99 sub-directories each: 10,000 directories of 10 files, 100,000 files,
// every tenth a map (.scm and .scx in turn), 10,000 maps in all.
inline constexpr int kBenchTreeMaps = 10000;

// Makes the tree at `root` unless a complete one is there already, and gives `root` back. The tree
// is built beside it and renamed into place, so that a run broken off, or two benchmarks starting
// at once, never leave a partial tree under the shared name.
std::filesystem::path benchTree(const std::filesystem::path& root);

// The same tree at `root`, with real maps: each map file is a hard link to the next map of
// `corpus` (every .scm and .scx under it, in name order, over and over).
std::filesystem::path benchTree(const std::filesystem::path& root,
                                const std::filesystem::path& corpus);

}  // namespace qrvl::bench
