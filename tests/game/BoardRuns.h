// Which cells of a board are in runs, worked out independently of the
// game's own search: a cell is in a run when the line of equal kinds through
// it, across or up, is three or longer.
#pragma once

#include <functional>
#include <string>

// Eight lines of eight characters, the top row first, '#' for a cell in a
// run and '.' for the others; kindAt(c, r) is the kind in column c, row r
// (row 0 at the bottom).
inline std::string RunsPicture(const std::function<int(int, int)>& kindAt) {
  auto same = [&](int c, int r, int k) { return c >= 0 && c < 8 && r >= 0 && r < 8 && kindAt(c, r) == k; };
  std::string picture;
  for (int r = 7; r >= 0; --r) {
    for (int c = 0; c < 8; ++c) {
      const int k = kindAt(c, r);
      int across = 1, up = 1;
      for (int i = c - 1; same(i, r, k); --i) ++across;
      for (int i = c + 1; same(i, r, k); ++i) ++across;
      for (int i = r - 1; same(c, i, k); --i) ++up;
      for (int i = r + 1; same(c, i, k); ++i) ++up;
      picture += across >= 3 || up >= 3 ? '#' : '.';
    }
  }
  return picture;
}

inline const std::string kNoRuns(64, '.');
