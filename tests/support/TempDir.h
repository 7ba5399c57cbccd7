// Temporary folders and files for the tests, each removed when it goes out
// of scope, whatever permissions a test left on it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <unistd.h>

namespace vrtest {

// A folder of its own, under the system's temporary folder.
class TempDir {
 public:
  TempDir() {
    std::error_code ec;
    std::string tmpl = (std::filesystem::temp_directory_path(ec) / "vrtestXXXXXX").string();
    if (ec) tmpl = "/tmp/vrtestXXXXXX";
    if (char* made = ::mkdtemp(tmpl.data())) path_ = made;
    EXPECT_FALSE(path_.empty()) << "no temporary folder from " << tmpl;
  }
  ~TempDir() {
    if (path_.empty()) return;
    // A test may have taken away the rights to list or delete its files.
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                   ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  // The path of `name` inside the folder; nothing is created.
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes `bytes` as they stand to `name` inside the folder; gives its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::string file = File(name);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    EXPECT_TRUE(out) << "cannot write " << file;
    return file;
  }

 private:
  std::string path_;
};

// One file holding `bytes`, in a folder of its own (so the name ends as
// the reader under test expects).
class TempFile {
 public:
  explicit TempFile(const std::string& bytes, const std::string& name = "fixture.txt")
      : path_(dir_.Write(name, bytes)) {}
  const std::string& Path() const { return path_; }

 private:
  TempDir dir_;
  std::string path_;
};

}  // namespace vrtest
