// Whole-file text I/O, name keys and path pieces shared by the store, the
// readers and the list windows. Text is CP932 bytes; paths are the file
// system's own bytes (UTF-8 here) with '/' between folders.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The largest file any reader takes (256 MB): far above every real
// definition, CANdb, LDF or FIBEX file, and low enough that a runaway file (a
// huge log renamed, a link to a growing file) fails at once instead of
// taking the memory.
constexpr std::size_t kMaxReadFileBytes = std::size_t{256} << 20;

enum class ReadFileError { None, CannotOpen, NotRegularFile, TooLarge, ReadFailed, NoMemory };

// The one way every reader takes a file in: the whole of a regular file, as
// bytes (zero bytes kept). A FIFO, a device or a folder is refused at once
// without waiting for a writer, and so is a file above `maxBytes`. False
// (bytes empty, `why` told the reason when given) on any failure. The string
// has room for `spare` more bytes, so that a reader may append that many
// without copying the file.
bool ReadFileBytes(const std::string& path, std::string& bytes, ReadFileError* why = nullptr,
                   std::size_t maxBytes = kMaxReadFileBytes, std::size_t spare = 0);

// What a text read tells beyond its result: why it failed, and whether the
// text stopped at a zero byte with more of the file behind it (zero bytes
// alone at the end leave nothing unread).
struct TextReadInfo {
  ReadFileError why = ReadFileError::None;
  bool stoppedAtZero = false;
};

// Reads the whole file through ReadFileBytes. The text ends at its first zero
// byte; no code page or line-end conversion. False when the file cannot be
// opened or read (the text is then empty), so a caller never mistakes a
// missing file for an empty one. `spare` as for ReadFileBytes; `info`, when
// given, hears why a read failed or that the text stopped short.
bool ReadTextFile(const std::string& path, std::string& text, std::size_t spare = 0, TextReadInfo* info = nullptr);

// Writes the text's bytes exactly. The bytes go to a temporary file in the
// same folder, which gets the old file's owner, group, mode and extended
// attributes (its ACL among them) and replaces it only after every write and
// the close succeeded; the folder is synced after the rename: a failed save
// never leaves a cut-short file in place of a good one. Where a rename would
// change the file as its users know it, the bytes are written into the file
// in place instead: a file with other hard links (they would keep the old
// text), a file whose owner, group or attributes the new file cannot be given
// (another user's file in a shared folder), a folder that refuses new files
// or refuses the rename (a sticky folder), and an append-only or immutable
// folder, where a temporary file could never be removed again (a new file is
// refused there). Not atomic, but the old bytes are kept, the whole size is
// reserved first and a write that fails puts the old bytes back, so the old
// file is still left whole; a file that cannot be read back is therefore not
// written in place. A file that may not be written (no write permission, even
// for root, a read-only mount, an immutable or append-only file) or that is
// not a regular file is refused.
// Through a symbolic link, or a chain of them, the file the last link names
// is written, and created when it does not exist yet; the links stay. A
// relative link target counts from the link's folder. A loop of links is
// refused. 0 written, -1 on any failure.
int WriteTextFile(const std::string& path, const std::string& text);

// What a save to `path` would meet, links at its end followed as
// WriteTextFile follows them: nothing yet, a regular file, something no save
// can replace (a folder, a FIFO, a device, a socket, a loop of links), or a
// file that WriteTextFile refuses to write.
enum class SaveTarget { Missing, File, NotAFile, Refused };
SaveTarget InspectSaveTarget(const std::string& path);

// The table key of a name: ASCII a-z upper-cased, double-byte characters (and
// their trail bytes, which may look like letters) left alone. Null gives "".
std::string MakeUpperString(const char* text);
std::string MakeUpperString(const std::string& text);
// The same key written to out[0..text.size()) without a string: the table
// lookups of a load upper-case every name. Returns text.size().
std::size_t MakeUpperInto(std::string_view text, char* out);

// Fills dest[0..n] with zeros and copies at most n bytes of source, cut so
// that no double-byte character is split. dest must hold n + 1 bytes.
void CopyToCharBuffer(char* dest, const std::string& source, std::size_t n);
void CopyToCharBuffer(char* dest, const char* source, std::size_t n);
void CopyToCharBuffer(char* dest, std::string_view source, std::size_t n);

// "SBL" for "/data/bus.SBL"; empty when a '/' comes before any '.', when there
// is no '.', or when the only '.' is the first byte.
std::string GetFileExtension(const std::string& path);

// The file name after the last '/'; the whole path when there is no '/' or
// the path ends with one.
std::string GetFileTitleFromPath(const std::string& path);

// The folder that holds the running executable, without a trailing '/'.
std::string GetExecutableFolder();
