// Writes fixture texts into a private temporary folder and reads them back
// with the CANdb reader.
#pragma once

#include "CanDB.h"
#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

// The folder helper under the name these tests use.
using TempFolder = vrtest::TempDir;

// Reads `text` as a ".dbc" file into a fresh reader of the loader's size.
inline std::unique_ptr<CCanDB> ReadDbc(const std::string& text, int capacity = CANDB_DEFAULT_CAPACITY,
                                       int* result = nullptr) {
  TempFolder folder;
  auto db = std::make_unique<CCanDB>(capacity);
  int n = db->ReadDbcFile(folder.Write("fixture.dbc", text));
  if (result) *result = n;
  return db;
}

// The index of the first record of that name, -1 when there is none.
inline int FindSignal(const CCanDB& db, const std::string& name) {
  for (int i = 0; i < db.GetCount(); ++i)
    if (name == db.GetSignalName(i)) return i;
  return -1;
}
