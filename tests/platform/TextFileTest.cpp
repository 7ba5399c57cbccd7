#include "TextFile.h"

#include <gtest/gtest.h>

TEST(PathPieces, Extension) {
  EXPECT_EQ(GetFileExtension("/data/bus.SBL"), "SBL");
  EXPECT_EQ(GetFileExtension("a.b.sbl"), "sbl");
  EXPECT_EQ(GetFileExtension("/data.old/bus"), "");
  EXPECT_EQ(GetFileExtension(".sbl"), "");
  EXPECT_EQ(GetFileExtension("bus."), "");
}

TEST(PathPieces, Title) {
  EXPECT_EQ(GetFileTitleFromPath("/data/bus.sbl"), "bus.sbl");
  EXPECT_EQ(GetFileTitleFromPath("bus.sbl"), "bus.sbl");
  EXPECT_EQ(GetFileTitleFromPath("/data/"), "/data/");
  EXPECT_EQ(GetFileTitleFromPath(""), "");
}
