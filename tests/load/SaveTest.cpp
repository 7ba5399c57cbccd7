// The save: atomic where the folder allows it (a write that fails part-way
// leaves the old file whole and no temporary file behind), the folder synced
// after the rename, and in place where the folder takes no new files. A
// file-size limit, in a process set up as the program sets up its own, fails
// the definition list's save without harming the old file. A save through
// symbolic links writes the file they name and keeps the links. The saved
// file keeps its owner, group, mode, ACL, extended attributes and other
// names, written in place where a rename could not keep them, and in place
// too where a temporary file could not be removed again; a target no save can
// replace, or a file it may not write, fails at once.
#include "DocFixture.h"
#include "ListLogic.h"
#include "ListTestUtil.h"
#include "Process.h"
#include "RecordingMessageSink.h"
#include "TextFile.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <grp.h>
#include <linux/fs.h>
#include <sched.h>
#include <set>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace listtest;

namespace {

// Every fsync of this program passes here first, so a test can see which
// kind of file was synced.
std::atomic<int> g_folderSyncs{0};
// A file system that answers the reservation without keeping it: the write
// that follows can still fail part-way.
std::atomic<bool> g_reservationPretends{false};
// Every write of the save passes here, so a test sees whether the file was
// written at all.
std::atomic<int> g_writes{0};

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

// The texts one after the other, `separator` between them.
template <class Texts>
std::string Joined(const Texts& texts, const char* separator) {
  std::string out;
  for (const std::string& t : texts) out += (out.empty() ? "" : separator) + t;
  return out;
}

// The message numbers shown, in order, as "4101,4005".
std::string IdsText(const RecordingMessageSink& sink) {
  std::vector<std::string> ids;
  for (int id : sink.Ids()) ids.push_back(std::to_string(id));
  return Joined(ids, ",");
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

extern "C" int posix_fallocate(int fd, off_t offset, off_t length) {
  if (g_reservationPretends) return 0;
  using Real = int (*)(int, off_t, off_t);
  static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "posix_fallocate"));
  return real ? real(fd, offset, length) : ENOSYS;
}

extern "C" ssize_t pwrite(int fd, const void* data, size_t size, off_t offset) {
  ++g_writes;
  return static_cast<ssize_t>(::syscall(SYS_pwrite64, fd, data, size, offset));
}

// A file-size limit makes the write fail part-way, as a full disk would.
TEST(AtomicSave, AWriteThatFailsPartWayKeepsTheOldFileAndLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string path = dir.Write("defs.sbl", "old contents\r\n");
  const std::string big(1 << 20, 'x');
  int result = InChild([&] {
    PrepareProcess();  // as the program starts: the limit fails the write
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

namespace {

// CP932 text and CRLF: every byte must come back as it was.
const std::string kOldFile = "\x83\x65\x83\x58\x83\x67 old definitions\r\n";
constexpr rlim_t kLimit = 256;

// Runs `body` in a child process; answers the text it returned, or how it died.
template <class Body>
std::string OutcomeInChild(Body body) {
  int fds[2];
  if (::pipe(fds) != 0) return "no pipe";
  pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    std::string out = body();
    ssize_t written = ::write(fds[1], out.data(), out.size());
    ::_exit(written == static_cast<ssize_t>(out.size()) ? 0 : 1);
  }
  ::close(fds[1]);
  std::string out;
  char buffer[256];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    out.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
  return out;
}

// Root writes into any folder: the save drops to the user nobody.
bool BecomeOrdinaryUser() {
  if (::geteuid() != 0) return true;
  return ::setgroups(0, nullptr) == 0 && ::setresgid(65534, 65534, 65534) == 0 && ::setresuid(65534, 65534, 65534) == 0;
}

struct SaveCase {
  const char* rule;
  bool folderTakesNewFiles;
  bool reservationPretends;
  rlim_t limit;
  // What the child saw; file=old: the old file byte for byte as it was.
  const char* outcome;
};

const SaveCase kCases[] = {
    {"in place: a reservation the limit refuses leaves the file untouched", false, false, kLimit,
     "saved=0 modified=1 file=old written=0 messages=4101,4005"},
    {"in place: a write that fails after the reservation puts the old bytes back", false, true, kLimit,
     "saved=0 modified=1 file=old written=1 messages=4101,4005"},
    {"beside: the limit fails the save instead of ending the program, no temporary file stays", true, false, kLimit,
     "saved=0 modified=1 file=old written=1 messages=4101,4005"},
    {"in place with room: the file holds exactly the new text", false, false, RLIM_INFINITY,
     "saved=1 modified=0 file=new written=1 messages=4101"},
};

class FailedSave : public vrtest::DocTest {
 protected:
  void SetUp() override {
    for (int i = 0; i < 8; ++i) {
      std::string name = "Message" + std::to_string(i);
      _CANMsg* m = AddCanMsg(doc, LIST_DEFINITION, name.c_str(), 0x100 + i, 8);
      AddCanSig(doc, m, {"Switch", 0, 4, 0});
      AddCanSig(doc, m, {"Value", 8, 8, 1, "Switch"}, "1-2");
    }
  }
};

}  // namespace

TEST_F(FailedSave, ASizeLimitNeverHarmsTheOldFileNorEndsTheProgram) {
  ASSERT_GT(doc.BuildSblText(LIST_DEFINITION).size(), kLimit);
  ASSERT_LT(kOldFile.size(), kLimit);
  for (const SaveCase& c : kCases) {
    SCOPED_TRACE(c.rule);
    TempDir dir;
    const std::string folder = dir.File("defs");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string path = dir.Write("defs/defs.sbl", kOldFile);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    // The saver's own file: another user's would be written in place to stay theirs.
    if (::geteuid() == 0) {
      ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(folder.c_str(), c.folderTakesNewFiles ? 0777 : 0555), 0);
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    doc.SetDefModified(true);
    CDefListLogic def(doc);
    def.SetBusKind(BUS_CAN);
    ScriptedDialogs dialogs;
    dialogs.answers = {path};

    std::string outcome = OutcomeInChild([&]() -> std::string {
      PrepareProcess();
      const rlimit limit{c.limit, c.limit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return "no limit";
      if (!BecomeOrdinaryUser()) return "cannot become an ordinary user";
      if ((::access(folder.c_str(), W_OK) == 0) != c.folderTakesNewFiles) return "the folder is not as the case says";
      g_reservationPretends = c.reservationPretends;
      RecordingMessageSink sink;
      g_writes = 0;
      bool saved = def.Save(dialogs);
      bool written = g_writes > 0;
      std::string bytes;
      ReadFileBytes(path, bytes);
      std::string file = bytes == kOldFile ? "old" : bytes == doc.BuildSblText(LIST_DEFINITION) ? "new" : "other";
      return "saved=" + std::to_string(saved) + " modified=" + std::to_string(doc.IsDefModified()) + " file=" + file +
             " written=" + std::to_string(written) + " messages=" + IdsText(sink);
    });
    ::chmod(folder.c_str(), 0755);

    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(Names(folder), std::vector<std::string>{"defs.sbl"});
  }
}

namespace {

struct LinkCase {
  const char* rule;
  // Links made in the folder beforehand, name -> target (folders on the way
  // are made too).
  std::vector<std::pair<const char*, const char*>> links;
  // A file holding kOldFile beforehand, or none.
  const char* oldFile;
  const char* saveTo;
  const char* outcome;
  // Every entry of the folder afterwards: "link -> target", "folder/",
  // "file=old", "file=new" (the saved text) or "file=other".
  const char* after;
};

const LinkCase kLinkCases[] = {
    {"a dangling link: the file it names is created with the text, the link stays",
     {{"defs.sbl", "saved.sbl"}},
     nullptr,
     "defs.sbl",
     "saved=1 modified=0 messages=",
     "defs.sbl -> saved.sbl; saved.sbl=new"},
    {"a link to a file: that file is replaced, the link stays",
     {{"defs.sbl", "real.sbl"}},
     "real.sbl",
     "defs.sbl",
     "saved=1 modified=0 messages=4101",
     "defs.sbl -> real.sbl; real.sbl=new"},
    {"a dangling chain across folders: each relative target counts from its own link's folder",
     {{"a/defs.sbl", "../b/next.sbl"}, {"b/next.sbl", "saved.sbl"}},
     nullptr,
     "a/defs.sbl",
     "saved=1 modified=0 messages=",
     "a/; a/defs.sbl -> ../b/next.sbl; b/; b/next.sbl -> saved.sbl; b/saved.sbl=new"},
    {"a loop of links: the save fails and nothing changes",
     {{"defs.sbl", "other.sbl"}, {"other.sbl", "defs.sbl"}},
     nullptr,
     "defs.sbl",
     "saved=0 modified=1 messages=4005",
     "defs.sbl -> other.sbl; other.sbl -> defs.sbl"},
};

// Every entry under `folder`, links not followed, in name order.
std::string FolderPicture(const std::string& folder, const std::string& newText) {
  namespace fs = std::filesystem;
  std::vector<std::string> entries;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(folder)) {
    const std::string name = e.path().lexically_relative(folder).string();
    if (e.is_symlink()) {
      entries.push_back(name + " -> " + fs::read_symlink(e.path()).string());
    } else if (e.is_directory()) {
      entries.push_back(name + "/");
    } else {
      std::string bytes;
      ReadFileBytes(e.path().string(), bytes);
      entries.push_back(name + (bytes == kOldFile ? "=old" : bytes == newText ? "=new" : "=other"));
    }
  }
  std::sort(entries.begin(), entries.end());
  return Joined(entries, "; ");
}

}  // namespace

TEST_F(FailedSave, ThroughSymbolicLinksTheNamedFileIsWrittenAndTheLinksStay) {
  for (const LinkCase& c : kLinkCases) {
    SCOPED_TRACE(c.rule);
    TempDir dir;
    for (const auto& [name, target] : c.links) {
      std::filesystem::create_directories(std::filesystem::path(dir.File(name)).parent_path());
      ASSERT_EQ(::symlink(target, dir.File(name).c_str()), 0);
    }
    if (c.oldFile) dir.Write(c.oldFile, kOldFile);
    doc.SetDefModified(true);
    CDefListLogic def(doc);
    def.SetBusKind(BUS_CAN);
    ScriptedDialogs dialogs;
    dialogs.answers = {dir.File(c.saveTo)};
    RecordingMessageSink sink;

    const bool saved = def.Save(dialogs);

    EXPECT_EQ("saved=" + std::to_string(saved) + " modified=" + std::to_string(doc.IsDefModified()) +
                  " messages=" + IdsText(sink),
              c.outcome);
    EXPECT_EQ(FolderPicture(dir.Path(), doc.BuildSblText(LIST_DEFINITION)), c.after);
  }
}

namespace {

// A folder that lets a user create files but not replace this one (an
// append-only folder): the rename is refused with EPERM.
std::atomic<bool> g_renameRefused{false};

}  // namespace

extern "C" int rename(const char* from, const char* to) {
  if (g_renameRefused) {
    errno = EPERM;
    return -1;
  }
  using Real = int (*)(const char*, const char*);
  static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "rename"));
  if (!real) {
    errno = ENOSYS;
    return -1;
  }
  return real(from, to);
}

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNogroup = 65534;
constexpr gid_t kUsers = 100;

struct KeepCase {
  const char* rule;
  bool savedByRoot;   // else by nobody, who also belongs to `kUsers`
  mode_t folderMode;  // the folder belongs to root
  uid_t fileUid;
  gid_t fileGid;
  mode_t fileMode;
  bool secondName;  // a hard link "other.sbl" beside the file
  bool renameRefused;
  rlim_t limit;
  // inode=same: written in place; other: the second name's text, or none.
  const char* outcome;
};

const KeepCase kKeepCases[] = {
    {"root saves a file of nobody:nogroup, mode 640: owner, group and mode stay", true, 0755, kNobody, kNogroup, 0640,
     false, false, RLIM_INFINITY,
     "saved=1 modified=0 messages=4101 file=new owner=65534:65534 mode=640 inode=new other=none"},
    {"a user saves a file of a group of theirs: the group stays through the rename", false, 0777, kNobody, kUsers, 0640,
     false, false, RLIM_INFINITY,
     "saved=1 modified=0 messages=4101 file=new owner=65534:100 mode=640 inode=new other=none"},
    {"a file with a second name: both names see the new text", true, 0755, 0, 0, 0644, true, false, RLIM_INFINITY,
     "saved=1 modified=0 messages=4101 file=new owner=0:0 mode=644 inode=same other=new"},
    {"a writable file of another user in a folder anyone may write: it stays theirs", false, 0777, 0, 0, 0666, false,
     false, RLIM_INFINITY, "saved=1 modified=0 messages=4101 file=new owner=0:0 mode=666 inode=same other=none"},
    {"a writable file of another user in a sticky folder: written in place", false, 01777, 0, 0, 0666, false, false,
     RLIM_INFINITY, "saved=1 modified=0 messages=4101 file=new owner=0:0 mode=666 inode=same other=none"},
    {"a folder that refuses the rename: written in place", true, 0755, 0, 0, 0644, false, true, RLIM_INFINITY,
     "saved=1 modified=0 messages=4101 file=new owner=0:0 mode=644 inode=same other=none"},
    {"another user's file that cannot be read back: not written in place, kept whole", false, 0777, 0, 0, 0622, false,
     false, RLIM_INFINITY, "saved=0 modified=1 messages=4101,4005 file=old owner=0:0 mode=622 inode=same other=none"},
    {"another user's file in a sticky folder under a size limit: kept whole", false, 01777, 0, 0, 0666, false, false,
     kLimit, "saved=0 modified=1 messages=4101,4005 file=old owner=0:0 mode=666 inode=same other=none"},
    {"a second name under a size limit: both names keep the old bytes", true, 0755, 0, 0, 0644, true, false, kLimit,
     "saved=0 modified=1 messages=4101,4005 file=old owner=0:0 mode=644 inode=same other=old"},
};

std::string TextKind(const std::string& path, const std::string& newText) {
  std::string bytes;
  if (!ReadFileBytes(path, bytes)) return "none";
  return bytes == kOldFile ? "old" : bytes == newText ? "new" : "other";
}

}  // namespace

TEST_F(FailedSave, TheSavedFileKeepsItsOwnerGroupModeAndLinks) {
  if (::geteuid() != 0) GTEST_SKIP() << "files of other users need root to be made";
  ASSERT_GT(doc.BuildSblText(LIST_DEFINITION).size(), kLimit);
  for (const KeepCase& c : kKeepCases) {
    SCOPED_TRACE(c.rule);
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    const std::string folder = dir.File("defs");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
    const std::string path = dir.Write("defs/defs.sbl", kOldFile);
    const std::string other = folder + "/other.sbl";
    ASSERT_EQ(::chown(path.c_str(), c.fileUid, c.fileGid), 0);
    ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
    if (c.secondName) {
      ASSERT_EQ(::link(path.c_str(), other.c_str()), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    doc.SetDefModified(true);
    CDefListLogic def(doc);
    def.SetBusKind(BUS_CAN);
    ScriptedDialogs dialogs;
    dialogs.answers = {path};

    std::string outcome = OutcomeInChild([&]() -> std::string {
      PrepareProcess();
      const rlimit limit{c.limit, c.limit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return "no limit";
      if (!c.savedByRoot) {
        const gid_t groups[] = {kUsers};
        if (::setgroups(1, groups) != 0 || ::setresgid(kNogroup, kNogroup, kNogroup) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0)
          return "cannot become nobody";
      }
      g_renameRefused = c.renameRefused;
      RecordingMessageSink sink;
      const bool saved = def.Save(dialogs);
      // The text as this save numbered it, after the first line.
      return "saved=" + std::to_string(saved) + " modified=" + std::to_string(doc.IsDefModified()) +
             " messages=" + IdsText(sink) + "\n" + doc.BuildSblText(LIST_DEFINITION);
    });

    const std::size_t lineEnd = std::min(outcome.find('\n'), outcome.size());
    const std::string newText = outcome.substr(std::min(lineEnd + 1, outcome.size()));
    outcome.resize(lineEnd);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    char mode[8];
    std::snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(after.st_mode & 07777));
    outcome += " file=" + TextKind(path, newText) + " owner=" + std::to_string(after.st_uid) + ":" +
               std::to_string(after.st_gid) + " mode=" + mode +
               " inode=" + (after.st_ino == before.st_ino ? "same" : "new") +
               " other=" + (c.secondName ? TextKind(other, newText) : "none");
    EXPECT_EQ(outcome, c.outcome);
    // Never a temporary file left behind.
    std::vector<std::string> names{"defs.sbl"};
    if (c.secondName) names.push_back("other.sbl");
    EXPECT_EQ(Names(folder), names);
  }
}

namespace {

// Sets an inode flag (append-only, immutable) as chattr does, and clears it
// at the end so that the folder can be removed. Not held where the file
// system or the process's rights have no such flags.
struct InodeFlag {
  InodeFlag(std::string p, int f) : path(std::move(p)), flag(f), held(f == 0 || Set(f)) {}
  ~InodeFlag() {
    if (flag != 0 && held) Set(0);
  }
  bool Set(int on) const {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    int flags = 0;
    bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = (flags & ~flag) | on;
    ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return ok;
  }
  std::string path;
  int flag;
  bool held;
};

// The folder mounted read-only in a mount namespace of this process alone.
bool MountReadOnly(const std::string& folder) {
  return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
         ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
}

struct NotAFileCase {
  const char* rule;
  const char* saveTo;
  // Made in the folder beforehand: "folder", "fifo", "file" (kOldFile), or a
  // link's target.
  const char* make;
  mode_t fileMode = 0644;
  int inodeFlag = 0;
  bool readOnlyMount = false;
};

const NotAFileCase kNotAFileCases[] = {
    {"a folder", "defs.sbl", "folder"},
    {"a FIFO: never opened, so no wait for a reader", "defs.sbl", "fifo"},
    {"a link to a device", "defs.sbl", "/dev/null"},
    {"a loop of links", "defs.sbl", "defs.sbl"},
    {"a read-only file", "defs.sbl", "file", 0444},
    {"an immutable file", "defs.sbl", "file", 0644, FS_IMMUTABLE_FL},
    {"an append-only file: it may grow, never be rewritten", "defs.sbl", "file", 0644, FS_APPEND_FL},
    {"a file on a read-only mount", "defs.sbl", "file", 0644, 0, true},
};

}  // namespace

TEST_F(FailedSave, ATargetNoSaveCanReplaceFailsAtOnceWithoutTheOverwriteQuestion) {
  std::string skipped;
  for (const NotAFileCase& c : kNotAFileCases) {
    SCOPED_TRACE(c.rule);
    TempDir dir;
    const std::string path = dir.File(c.saveTo);
    const std::string make = c.make;
    if (make == "folder") {
      ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
    } else if (make == "fifo") {
      ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
    } else if (make == "file") {
      dir.Write(c.saveTo, kOldFile);
      ASSERT_EQ(::chmod(path.c_str(), c.fileMode), 0);
    } else {
      ASSERT_EQ(::symlink(c.make, path.c_str()), 0);
    }
    InodeFlag flag(path, c.inodeFlag);
    doc.SetDefModified(true);
    CDefListLogic def(doc);
    def.SetBusKind(BUS_CAN);
    ScriptedDialogs dialogs;
    dialogs.answers = {path};

    const std::string outcome = OutcomeInChild([&]() -> std::string {
      if (!flag.held) return "no inode flags here";
      if (c.readOnlyMount && !MountReadOnly(dir.Path())) return "no read-only mount here";
      RecordingMessageSink sink;
      const bool saved = def.Save(dialogs);
      return "saved=" + std::to_string(saved) + " modified=" + std::to_string(doc.IsDefModified()) +
             " messages=" + IdsText(sink);
    });
    if (outcome.rfind("no ", 0) == 0) {
      skipped += std::string(" ") + c.rule + " (" + outcome + ");";
      continue;
    }

    EXPECT_EQ(outcome, "saved=0 modified=1 messages=4005");
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{c.saveTo});
    if (make == "file") {
      EXPECT_EQ(ReadAll(path), kOldFile);
    }
  }
  if (!skipped.empty()) GTEST_SKIP() << "not run:" << skipped;
}

namespace {

// A file system that takes no extended attribute on the new file.
std::atomic<bool> g_attributesRefused{false};

}  // namespace

extern "C" int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
  if (g_attributesRefused) {
    errno = ENOTSUP;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_fsetxattr, fd, name, value, size, flags));
}

namespace {

// A POSIX ACL as the kernel keeps it in its attribute: version 2, then tag
// (1 owner, 2 named user, 4 owning group, 8 named group, 16 mask, 32 others),
// permissions and id of each entry, in tag order.
std::string Acl(std::initializer_list<std::array<uint32_t, 3>> entries) {
  std::string bytes;
  const auto put = [&](uint32_t v, int size) {
    for (int i = 0; i < size; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put(2, 4);
  for (const auto& [tag, perm, id] : entries) {
    put(tag, 2);
    put(perm, 2);
    put(id, 4);
  }
  return bytes;
}

constexpr uint32_t kNoId = 0xFFFFFFFF;
// Nobody may write through the ACL; the owning group only reads, under a mask
// that lets write through.
const std::string kWriterAcl = Acl({{1, 6, kNoId}, {2, 6, kNobody}, {4, 4, kNoId}, {16, 6, kNoId}, {32, 4, kNoId}});
// What the folder gives every new file: the group users may write.
const std::string kFolderDefaultAcl =
    Acl({{1, 7, kNoId}, {4, 5, kNoId}, {8, 7, kUsers}, {16, 7, kNoId}, {32, 5, kNoId}});

struct BesideCase {
  const char* rule;
  bool oldFile;
  bool fileAcl;           // kWriterAcl
  bool userAttribute;     // "user.origin"
  bool folderDefaultAcl;  // kFolderDefaultAcl
  bool appendOnlyFolder;
  bool attributesRefused;
  // left: every name in the folder afterwards.
  const char* outcome;
};

const BesideCase kBesideCases[] = {
    {"an access ACL that lets another user write: carried over", true, true, false, false, false, false,
     "saved=1 messages=4101 file=new inode=new mode=664 attributes=kept left=defs.sbl"},
    {"a user attribute: carried over", true, false, true, false, false, false,
     "saved=1 messages=4101 file=new inode=new mode=644 attributes=kept left=defs.sbl"},
    {"an ACL the folder gives new files, which the old file lacked: not taken", true, false, false, true, false, false,
     "saved=1 messages=4101 file=new inode=new mode=644 attributes=kept left=defs.sbl"},
    {"attributes the new file cannot be given: written in place, kept", true, true, true, false, false, true,
     "saved=1 messages=4101 file=new inode=same mode=664 attributes=kept left=defs.sbl"},
    {"an append-only folder, where no temporary file could be removed: written in place", true, false, false, false,
     true, false, "saved=1 messages=4101 file=new inode=same mode=644 attributes=kept left=defs.sbl"},
    {"an append-only folder, a new file: refused at once, nothing made", false, false, false, false, true, false,
     "saved=0 messages=4005 file=none inode=none attributes=kept left="},
};

// Every extended attribute of a file, name and value, in name order.
std::string AttributePicture(const std::string& path) {
  std::string names(4096, '\0');
  names.resize(static_cast<std::size_t>(std::max<ssize_t>(0, ::listxattr(path.c_str(), names.data(), names.size()))));
  std::set<std::string> entries;
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1) {
    std::string value(4096, '\0');
    value.resize(static_cast<std::size_t>(
        std::max<ssize_t>(0, ::getxattr(path.c_str(), names.c_str() + at, value.data(), value.size()))));
    entries.insert(names.c_str() + at + ("=" + value));
  }
  return Joined(entries, ";");
}

}  // namespace

TEST_F(FailedSave, TheSavedFileKeepsItsAclAndAttributesAndNoTemporaryFileStays) {
  for (const BesideCase& c : kBesideCases) {
    SCOPED_TRACE(c.rule);
    TempDir dir;
    const std::string folder = dir.File("defs");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string path = folder + "/defs.sbl";
    if (c.oldFile) {
      dir.Write("defs/defs.sbl", kOldFile);
      ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    }
    const auto set = [](const std::string& on, const char* name, const std::string& value) {
      return ::setxattr(on.c_str(), name, value.data(), value.size(), 0) == 0;
    };
    if ((c.fileAcl && !set(path, "system.posix_acl_access", kWriterAcl)) ||
        (c.userAttribute && !set(path, "user.origin", "bench 3")) ||
        (c.folderDefaultAcl && !set(folder, "system.posix_acl_default", kFolderDefaultAcl)))
      GTEST_SKIP() << "the temporary folder's file system keeps no ACLs or extended attributes: "
                   << std::strerror(errno);
    InodeFlag appendOnly(folder, c.appendOnlyFolder ? FS_APPEND_FL : 0);
    if (!appendOnly.held) GTEST_SKIP() << "no append-only folders here (the file system, or not root)";
    struct stat before {};
    ::stat(path.c_str(), &before);
    const std::string attributes = AttributePicture(path);
    doc.SetDefModified(true);
    CDefListLogic def(doc);
    def.SetBusKind(BUS_CAN);
    ScriptedDialogs dialogs;
    dialogs.answers = {path};
    RecordingMessageSink sink;

    g_attributesRefused = c.attributesRefused;
    const bool saved = def.Save(dialogs);
    g_attributesRefused = false;

    std::string outcome = "saved=" + std::to_string(saved) + " messages=" + IdsText(sink) +
                          " file=" + TextKind(path, doc.BuildSblText(LIST_DEFINITION));
    struct stat after {};
    if (::stat(path.c_str(), &after) == 0) {
      char mode[8];
      std::snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(after.st_mode & 07777));
      outcome += std::string(" inode=") + (after.st_ino == before.st_ino ? "same" : "new") + " mode=" + mode;
    } else {
      outcome += " inode=none";
    }
    outcome += std::string(" attributes=") + (AttributePicture(path) == attributes ? "kept" : "changed");
    EXPECT_EQ(outcome + " left=" + Joined(Names(folder), ","), c.outcome);
  }
}
