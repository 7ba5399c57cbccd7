#include "TextFile.h"

#include "CodePage.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace {

bool Fail(ReadFileError reason, ReadFileError* why) {
  if (why) *why = reason;
  return false;
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::string& bytes, ReadFileError* why, std::size_t maxBytes,
                   std::size_t spare) {
  bytes.clear();
  if (why) *why = ReadFileError::None;
  // Non-blocking open: a FIFO dropped onto a list must not hang the program
  // waiting for a writer; it is refused below as not a regular file.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return Fail(ReadFileError::CannotOpen, why);
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return Fail(ReadFileError::NotRegularFile, why);
  }
  if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > maxBytes) {
    ::close(fd);
    return Fail(ReadFileError::TooLarge, why);
  }
  std::string buffer;
  try {
    buffer.reserve(static_cast<std::size_t>(st.st_size) + spare);
    buffer.resize(static_cast<std::size_t>(st.st_size));
  } catch (...) {
    ::close(fd);
    return Fail(ReadFileError::NoMemory, why);
  }
  // At most the size the file had when it was opened: a file that grows
  // while it is read cannot push the read past the cap.
  std::size_t got = 0;
  while (got < buffer.size()) {
    ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return Fail(ReadFileError::ReadFailed, why);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  buffer.resize(got);
  bytes = std::move(buffer);
  return true;
}

bool ReadTextFile(const std::string& path, std::string& text, std::size_t spare, TextReadInfo* info) {
  if (info) *info = TextReadInfo{};
  if (!ReadFileBytes(path, text, info ? &info->why : nullptr, kMaxReadFileBytes, spare)) return false;
  std::size_t zero = text.find('\0');
  if (zero != std::string::npos) {
    // Looked at in place, before the cut: the rest of the file is not copied.
    if (info) info->stoppedAtZero = text.find_first_not_of('\0', zero) != std::string::npos;
    text.resize(zero);
  }
  return true;
}

namespace {

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Every byte from the start of the file on, wherever its position stands.
bool WriteAll(int fd, const char* data, std::size_t size) {
  off_t offset = 0;
  while (size > 0) {
    ssize_t n = ::pwrite(fd, data, size, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += n;
  }
  return true;
}

}  // namespace

namespace {

// Makes the rename durable: without this a power cut can leave the folder
// still naming the old file (or none) although the new bytes are on disk.
// A folder that cannot be opened or does not take an fsync (some file
// systems answer EINVAL) is left as it is; an I/O error fails the save.
bool SyncFolder(const std::string& folder) {
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return true;
  bool ok = ::fsync(dir) == 0 || errno != EIO;
  ::close(dir);
  return ok;
}

bool SetLength(int fd, std::size_t length) { return ::ftruncate(fd, static_cast<off_t>(length)) == 0; }

// The whole file as it is, to put back when a write in place fails. False
// when it cannot be read, or is larger than any reader of this program takes
// (such a file is better left alone than held in memory twice).
bool KeepOldBytes(int fd, off_t size, std::string& old) {
  if (size < 0 || static_cast<unsigned long long>(size) > kMaxReadFileBytes) return false;
  try {
    old.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::size_t got = 0;
  while (got < old.size()) {
    ssize_t n = ::pread(fd, old.data() + got, old.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;  // an error, or the file shrank under us
    got += static_cast<std::size_t>(n);
  }
  return true;
}

// Takes the disk space (and the room under a file-size limit) for `size`
// bytes before any byte is written, so that a full disk or a limit refuses
// the save while the file is still whole. When the reservation fails part-way
// the file may have grown: it gets its old length back.
bool Reserve(int fd, std::size_t size, std::size_t oldSize) {
  if (size == 0) return true;  // nothing to write; the call refuses a zero length
  int err;
  do {
    err = ::posix_fallocate(fd, 0, static_cast<off_t>(size));
  } while (err == EINTR);
  if (err == 0) return true;
  struct stat now {};
  if (::fstat(fd, &now) == 0 && static_cast<std::size_t>(now.st_size) != oldSize) SetLength(fd, oldSize);
  return false;
}

// The fallback for a folder that refuses new files while the file itself
// may be written: the bytes go straight into the file. Not atomic, so it
// never leaves a damaged file behind: the old bytes are read first, the
// whole new size is reserved before the first byte is written, and a write
// that still fails (an I/O error, a file system that does not keep the
// reservation) puts the old bytes and length back before the save reports
// its failure. A file that cannot be read back therefore is not written.
int WriteInPlace(const std::string& path, const std::string& text) {
  int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return -1;
  struct stat st {};
  std::string old;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && KeepOldBytes(fd, st.st_size, old) &&
            Reserve(fd, text.size(), old.size());
  if (!ok) {
    ::close(fd);
    return -1;
  }
  ok = WriteAll(fd, text.data(), text.size()) && SetLength(fd, text.size()) && ::fsync(fd) == 0;
  if (!ok && WriteAll(fd, old.data(), old.size()) && SetLength(fd, old.size())) ::fsync(fd);
  if (::close(fd) != 0) ok = false;
  return ok ? 0 : -1;
}

// As many links in a row as the system itself follows before it calls the
// chain a loop.
constexpr int kMaxLinkHops = 40;

// The name a path stands for once every symbolic link at its end is followed,
// as an editor saves through a link: the file the last link names, which may
// not exist yet (it is then created and the links stay). A relative target
// counts from the folder of the link that holds it. False for a loop, or a
// chain too long to be anything else, and for a link that cannot be read.
bool FollowLinks(const std::string& given, std::string& path) {
  path = given;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    struct stat st {};
    // A name that is missing (or whose folder is unusable) is the end of the
    // chain: creating it, or failing to, is the write's own business.
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
    std::string target(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 256, '\0');
    ssize_t n;
    while ((n = ::readlink(path.c_str(), target.data(), target.size())) >= 0 &&
           static_cast<std::size_t>(n) == target.size())
      target.resize(target.size() * 2);
    if (n <= 0) return false;
    target.resize(static_cast<std::size_t>(n));
    if (target[0] != '/') {
      const std::string folder = FolderOf(path);
      target = (folder == "/" ? "" : folder) + "/" + target;
    }
    path = std::move(target);
  }
  return false;
}

// The file a save writes, every link at the end of `given` followed, and
// whether something stands there (`st` tells what). False for a loop of links.
bool ResolveSaveTarget(const std::string& given, std::string& path, struct stat& st, bool& exists) {
  if (given.empty() || !FollowLinks(given, path)) return false;
  exists = ::stat(path.c_str(), &st) == 0;
  return true;
}

// A fresh file renamed over the old one would belong to whoever saves, so the
// new file is given the old one's owner and group first. False when the
// system does not allow it (only root may give a file away).
bool TakeOwnerOf(int fd, const struct stat& old) {
  struct stat now {};
  if (::fstat(fd, &now) != 0) return false;
  if (now.st_uid == old.st_uid && now.st_gid == old.st_gid) return true;
  return ::fchown(fd, old.st_uid, old.st_gid) == 0;
}

// Reads a list or a value of unknown size through `call(buffer, size)`, which
// answers the size when given no buffer. A value that grows between the two
// calls is asked for again.
template <class Call>
bool ReadSized(Call call, std::string& out) {
  for (;;) {
    ssize_t n = call(nullptr, 0);
    if (n < 0) return false;
    out.resize(static_cast<std::size_t>(n));
    if (n == 0) return true;
    n = call(out.data(), out.size());
    if (n >= 0) {
      out.resize(static_cast<std::size_t>(n));
      return true;
    }
    if (errno != ERANGE) return false;
  }
}

// The names of a file's extended attributes, each ended by a zero byte; none
// on a file system that keeps no attributes.
template <class Call>
bool AttributeNames(Call list, std::string& names) {
  if (ReadSized(list, names)) return true;
  names.clear();
  return errno == ENOTSUP;
}

// Calls `fn` on each name of such a list until it answers false; false then.
template <class Fn>
bool EachName(const std::string& names, Fn fn) {
  for (std::size_t at = 0; at < names.size(); at += std::strlen(names.c_str() + at) + 1)
    if (!fn(names.c_str() + at)) return false;
  return true;
}

// A fresh file renamed over the old one would lose the old one's extended
// attributes, its access ACL among them: a user the ACL lets write would lose
// that right, and the group would get the mode's bits instead of the ACL
// mask. So the new file gets every attribute of the old one, and loses any the
// old one lacks (an ACL the folder's default gave it). The attributes this
// user cannot see stay behind, as for any copy. False when one cannot be read
// or given.
bool TakeAttributesOf(int fd, const std::string& oldPath) {
  std::string oldNames, newNames;
  if (!AttributeNames([&](char* b, std::size_t n) { return ::listxattr(oldPath.c_str(), b, n); }, oldNames) ||
      !AttributeNames([&](char* b, std::size_t n) { return ::flistxattr(fd, b, n); }, newNames))
    return false;
  if (oldNames.empty() && newNames.empty()) return true;  // the usual file
  std::string value, now;
  const bool given = EachName(oldNames, [&](const char* name) {
    if (!ReadSized([&](char* b, std::size_t n) { return ::getxattr(oldPath.c_str(), name, b, n); }, value))
      return false;
    // A label the system gave the new file already need not be set again
    // (which may not be allowed).
    if (ReadSized([&](char* b, std::size_t n) { return ::fgetxattr(fd, name, b, n); }, now) && now == value)
      return true;
    return ::fsetxattr(fd, name, value.data(), value.size(), 0) == 0;
  });
  return given && EachName(newNames, [&](const char* name) {
           const bool old = !EachName(oldNames, [&](const char* o) { return std::strcmp(o, name) != 0; });
           return old || ::fremovexattr(fd, name) == 0;
         });
}

// The append-only and immutable attributes of a file or folder; none where
// the file system has no such attributes.
uint64_t LockAttributes(const std::string& path) {
  struct statx stx {};
  if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_TYPE, &stx) != 0) return 0;
  return stx.stx_attributes & stx.stx_attributes_mask & (STATX_ATTR_APPEND | STATX_ATTR_IMMUTABLE);
}

// An existing regular file that no save may replace: one without write
// permission (even for root), one on a read-only mount, an immutable file,
// and an append-only one, which may grow but never be rewritten or replaced.
bool SaveRefused(const std::string& path, const struct stat& st) {
  return ::access(path.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0 || LockAttributes(path) != 0;
}

}  // namespace

SaveTarget InspectSaveTarget(const std::string& given) {
  std::string path;
  struct stat st {};
  bool exists = false;
  if (!ResolveSaveTarget(given, path, st, exists)) return SaveTarget::NotAFile;
  if (!exists) return SaveTarget::Missing;
  if (!S_ISREG(st.st_mode)) return SaveTarget::NotAFile;
  return SaveRefused(path, st) ? SaveTarget::Refused : SaveTarget::File;
}

int WriteTextFile(const std::string& given, const std::string& text) {
  // Through symbolic links the file they name is written and the links stay;
  // a loop of links is refused with nothing changed.
  std::string path;
  struct stat target {};
  bool exists = false;
  if (!ResolveSaveTarget(given, path, target, exists)) return -1;
  // Refuse a target that exists but is not a regular file (a folder, a
  // device), and a file that may not be written: the rename below would
  // otherwise replace a read-only file that an open for writing refuses.
  if (exists && (!S_ISREG(target.st_mode) || SaveRefused(path, target))) return -1;
  // A file known by other names too: a rename would leave them on the old
  // bytes, so every name sees the new text only when the file itself is written.
  if (exists && target.st_nlink > 1) return WriteInPlace(path, text);

  const std::string folder = FolderOf(path);
  // A folder whose names may be added but never removed or replaced (an
  // append-only one), or not changed at all: a temporary file made there
  // could not be renamed nor removed, and one would stay behind per save.
  // Only the file itself may be written.
  if (LockAttributes(folder) != 0) return exists ? WriteInPlace(path, text) : -1;
  std::string tmpl = folder + "/.vrtmpXXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    // A folder that takes no new files can still hold a file that may be
    // written: save into it in place rather than not at all.
    if (exists && (errno == EACCES || errno == EPERM)) return WriteInPlace(path, text);
    return -1;
  }
  if (exists && (!TakeOwnerOf(fd, target) || !TakeAttributesOf(fd, path))) {
    // Another user's file that this user may write (a shared folder), or
    // attributes the new file cannot be given: the file stays theirs, with
    // its attributes, only when it is written where it is.
    ::close(fd);
    ::unlink(name.data());
    return WriteInPlace(path, text);
  }
  bool ok = WriteAll(fd, text.data(), text.size());
  // Keep the permissions an existing file had (after the owner: a change of
  // owner clears the set-id bits; after the ACL, whose mask the group bits of
  // the old mode equal); a new one gets the usual 0666 & ~umask.
  if (ok) {
    mode_t mode;
    if (exists) {
      mode = target.st_mode & 07777;
    } else {
      mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    ok = ::fchmod(fd, mode) == 0;
  }
  if (ok) ok = ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  if (!ok) {
    ::unlink(name.data());
    return -1;
  }
  if (::rename(name.data(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(name.data());
    // A folder may take new files yet refuse to let this user replace one
    // (a sticky folder): the file itself may still be written.
    if (exists && (err == EACCES || err == EPERM)) return WriteInPlace(path, text);
    return -1;
  }
  return SyncFolder(folder) ? 0 : -1;
}

std::size_t MakeUpperInto(std::string_view text, char* out) {
  const std::size_t n = text.size();
  const char* in = text.data();
  std::size_t pos = 0;
  // Eight plain ASCII bytes at a time: the bytes from 'a' to 'z' lose 0x20.
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  for (; pos + 8 <= n; pos += 8) {
    uint64_t w;
    std::memcpy(&w, in + pos, 8);
    if (w & (kOnes * 0x80)) break;  // a byte of the code page's upper half: walk from here
    uint64_t atLeastA = w + kOnes * (0x80 - 'a');
    uint64_t aboveZ = w + kOnes * (0x7F - 'z');
    w ^= ((atLeastA & ~aboveZ) & (kOnes * 0x80)) >> 2;
    std::memcpy(out + pos, &w, 8);
  }
  while (pos < n) {
    unsigned char c = static_cast<unsigned char>(in[pos]);
    if (c < 0x80) {
      // Plain ASCII, the usual name, needs no code-page walk.
      out[pos++] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : static_cast<char>(c);
    } else if (pos + 1 < n && cp932::IsLeadByte(c) && cp932::IsTrailByte(static_cast<unsigned char>(in[pos + 1]))) {
      out[pos] = in[pos];  // a double-byte character stays, trail byte included
      out[pos + 1] = in[pos + 1];
      pos += 2;
    } else {
      out[pos] = in[pos];
      ++pos;
    }
  }
  return n;
}

std::string MakeUpperString(const char* text) {
  if (!text) return std::string();
  std::string_view view(text);
  std::string out(view.size(), '\0');
  MakeUpperInto(view, out.data());
  return out;
}

std::string MakeUpperString(const std::string& text) {
  std::string out(text.size(), '\0');
  MakeUpperInto(text, out.data());
  return out;
}

void CopyToCharBuffer(char* dest, std::string_view source, std::size_t n) {
  std::size_t len = cp932::CharBoundaryAtOrBefore(source, n);
  if (len) std::memcpy(dest, source.data(), len);  // an empty view may have no data at all
  std::memset(dest + len, 0, n + 1 - len);
}

void CopyToCharBuffer(char* dest, const std::string& source, std::size_t n) {
  CopyToCharBuffer(dest, std::string_view(source), n);
}

void CopyToCharBuffer(char* dest, const char* source, std::size_t n) {
  // Only the first n + 1 bytes can matter: the cut falls at or before n.
  CopyToCharBuffer(dest, source ? std::string_view(source, ::strnlen(source, n + 1)) : std::string_view(), n);
}

std::string GetFileExtension(const std::string& path) {
  for (std::size_t i = path.size(); i-- > 1;) {
    if (path[i] == '/') return std::string();
    if (path[i] == '.') return path.substr(i + 1);
  }
  return std::string();
}

std::string GetFileTitleFromPath(const std::string& path) {
  // Position 0 counts too: "/a.sbl" is the file "a.sbl" in the root folder.
  for (std::size_t i = path.size(); i-- > 0;) {
    if (path[i] == '/') {
      if (i + 1 == path.size()) return path;
      return path.substr(i + 1);
    }
  }
  return path;
}

std::string GetExecutableFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return ".";
    if (static_cast<std::size_t>(n) < buffer.size()) {
      std::string exe(buffer.data(), static_cast<std::size_t>(n));
      return FolderOf(exe);
    }
    buffer.resize(buffer.size() * 2);  // no 260-byte limit: grow until it fits
  }
}
