// Writes fixture texts into a private temporary folder and reads them back
// with the CANdb reader.
#pragma once

#include "CanDB.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

class TempFolder {
 public:
  TempFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "candbXXXXXX").string();
    if (char* made = ::mkdtemp(tmpl.data())) path_ = made;
  }
  ~TempFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::string Write(const std::string& name, const std::string& bytes) const {
    std::string file = path_ + "/" + name;
    std::ofstream out(file, std::ios::binary);
    out << bytes;
    return file;
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

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
