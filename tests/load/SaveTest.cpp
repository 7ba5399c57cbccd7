// The save: atomic where the folder allows it (a write that fails part-way
// leaves the old file whole and no temporary file behind), the folder synced
// after the rename, and in place where the folder takes no new files.
#include "ListTestUtil.h"
#include "TextFile.h"

#include <atomic>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace listtest;

namespace {

// Every fsync of this program passes here first, so a test can see which
// kind of file was synced.
std::atomic<int> g_folderSyncs{0};

std::string ReadAll(const std::string& path) {
  std::string text;
  EXPECT_TRUE(ReadTextFile(path, text));
  return text;
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(folder.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    ::closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `body` in a child process and answers its exit code.
template <class Body>
int InChild(Body body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

}  // namespace

extern "C" int fsync(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) ++g_folderSyncs;
  return static_cast<int>(::syscall(SYS_fsync, fd));
}

// A file-size limit makes the write fail part-way, as a full disk would.
TEST(AtomicSave, AWriteThatFailsPartWayKeepsTheOldFileAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string path = dir.Write("defs.sbl", "old contents\r\n");
  const std::string big(1 << 20, 'x');
  int result = InChild([&] {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
    return WriteTextFile(path, big) == -1 ? 0 : 1;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadAll(path), "old contents\r\n");
  EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"defs.sbl"});
}

TEST(AtomicSave, TheFolderIsSyncedAfterTheRename) {
  TempDir dir;
  const std::string path = dir.File("defs.sbl");
  g_folderSyncs = 0;
  ASSERT_EQ(WriteTextFile(path, "new"), 0);
  EXPECT_GE(g_folderSyncs.load(), 1);
  EXPECT_EQ(ReadAll(path), "new");
}

// A folder that takes no new files (read-only for the user) with a file in
// it that may be written: saved in place. Root ignores folder permissions,
// so the save runs as an ordinary user then.
TEST(AtomicSave, AWritableFileInAFolderThatRefusesNewFilesIsWrittenInPlace) {
  TempDir dir;
  const std::string folder = dir.File("locked");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const std::string path = folder + "/defs.sbl";
  ASSERT_EQ(WriteTextFile(path, "a much longer old text than the new one\r\n"), 0);
  ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  }
  int result = InChild([&] {
    if (root && ::setuid(65534) != 0) return 2;
    // The folder really refuses a new file for this process.
    int probe = ::open((folder + "/probe").c_str(), O_CREAT | O_WRONLY, 0600);
    if (probe >= 0) return 3;
    if (WriteTextFile(path, "new\r\n") != 0) return 1;
    // A file that may not be written is still refused.
    return WriteTextFile(folder + "/other.sbl", "x") == -1 ? 0 : 4;
  });
  ::chmod(folder.c_str(), 0755);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadAll(path), "new\r\n");
  EXPECT_EQ(Names(folder), std::vector<std::string>{"defs.sbl"});
}
