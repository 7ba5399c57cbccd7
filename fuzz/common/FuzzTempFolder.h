// The failure report of the fuzz targets, and the private folder for the
// input files of the readers that take a path.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace fuzzdoc {

[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "%s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// A folder of its own under $TMPDIR (else /tmp), emptied and removed when the
// process ends normally, as libFuzzer's timed runs do: files are written
// there for the readers that take a path.
class TempFolder {
 public:
  explicit TempFolder(const char* prefix) {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/" + prefix + "_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) Fail("no temporary folder: " + pattern);
    path_ = name.data();
  }
  ~TempFolder() {
    if (DIR* d = ::opendir(path_.c_str())) {
      while (const dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") std::remove((path_ + "/" + name).c_str());
      }
      ::closedir(d);
    }
    ::rmdir(path_.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // Writes the bytes into the file `name` of the folder; answers its path.
  std::string Write(const std::string& name, const uint8_t* data, std::size_t size) const {
    const std::string path = path_ + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) Fail("cannot write " + path);
    if (size > 0 && std::fwrite(data, 1, size, f) != size) Fail("cannot write " + path);
    std::fclose(f);
    return path;
  }

 private:
  std::string path_;
};

}  // namespace fuzzdoc
