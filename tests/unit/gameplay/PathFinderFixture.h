// The path finder with its messages and the cells it takes from the open list caught, for the
// path-finding tests; the grid is released after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gameplay/AStar.h"
#include "scenes/PathGrid.h"

namespace path_test {

inline std::string& Captured() {
  static std::string text;
  return text;
}
inline void CaptureMessage(const char* text) { Captured() += text; }

class PathFinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Captured().clear();
    SetPathMessageSink(CaptureMessage);
    SetPathExpansionTrace(&pops_);
  }
  void TearDown() override {
    SetPathMessageSink(nullptr);
    SetPathExpansionTrace(nullptr);
    ReleaseGrid();
  }
  std::vector<GridCell> pops_;  // the cells taken from the open list, in order
};

}  // namespace path_test
