// A fixture text written to a file of its own for the readers that take a path.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

class TempLdfFile {
 public:
  explicit TempLdfFile(const std::string& bytes) {
    const char* dir = std::getenv("TMPDIR");
    std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/vr_ldf_XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd >= 0) {
      std::size_t done = 0;
      while (done < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
      }
      close(fd);
      path_ = pattern;
    }
  }
  ~TempLdfFile() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  TempLdfFile(const TempLdfFile&) = delete;
  TempLdfFile& operator=(const TempLdfFile&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};
