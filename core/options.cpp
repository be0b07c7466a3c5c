#include "core/options.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/little_endian.h"
#include "platform/message_box.h"

GameOptionsRecord GameOptions;
std::string optionsFileName = "options.kvz";
std::string mediaOptionsFileName;

namespace {

constexpr size_t fileSize = 16;

void WriteLittleEndian(uint32_t value, unsigned char* bytes) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

bool IsKnownWidth(uint32_t width) {
    return width == 640 || width == 800 || width == 1024 || width == displaySizeWidth;
}

void ReportSaveFailure() {
    const std::string message = "Error saving the options file [" + optionsFileName + "].";
    MessageBoxA(nullptr, message.c_str(), "Tolvarin", MB_ICONEXCLAMATION | MB_OK);
}

// A file descriptor closed when it goes.
class FileHandle {
  public:
    explicit FileHandle(int opened = -1) : descriptor(opened) {}
    ~FileHandle() {
        if (descriptor >= 0) close(descriptor);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Get() const { return descriptor; }
    bool IsOpen() const { return descriptor >= 0; }
    void Reset(int newDescriptor) {
        if (descriptor >= 0) close(descriptor);
        descriptor = newDescriptor;
    }
    int Release() {
        const int released = descriptor;
        descriptor = -1;
        return released;
    }
    // Closes now, reporting whether the last of the data was accepted.
    bool Close() {
        const int closing = descriptor;
        descriptor = -1;
        return close(closing) == 0;
    }

  private:
    int descriptor;
};

std::string StripTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* entry = getpwuid(getuid());
    return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

std::string FolderOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

enum class FileRead { Missing, Unreadable, Whole };

// The first 16 bytes of a regular file. Opened without waiting, so that a
// named pipe standing in the file's place is refused instead of blocking the
// start-up for ever.
FileRead ReadOptionsFile(const std::string& name, unsigned char* bytes) {
    const FileHandle file(open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.IsOpen()) return errno == ENOENT ? FileRead::Missing : FileRead::Unreadable;
    struct stat status {};
    if (fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return FileRead::Unreadable;
    size_t total = 0;
    while (total < fileSize) {
        const ssize_t got = read(file.Get(), bytes + total, fileSize - total);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        total += static_cast<size_t>(got);
    }
    return total == fileSize ? FileRead::Whole : FileRead::Unreadable;
}

// The folders of the player's configuration are private to them.
void CreateMissingFolders(const std::string& folder) {
    std::string::size_type end = folder.find('/', 1);
    while (true) {
        mkdir(folder.substr(0, end).c_str(), 0700);  // an existing folder stays as it is
        if (end == std::string::npos) return;
        end = folder.find('/', end + 1);
    }
}

// The file a chain of symbolic links ends at, which a save must update while
// the links stay; empty for a loop.
std::string FollowLinks(std::string path) {
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return path;
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) return "";
        path = target.is_absolute() ? target.string() : FolderOf(path) + "/" + target.string();
    }
    return "";
}

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool WriteAllAt(int file, const unsigned char* bytes, size_t size) {
    off_t offset = 0;
    while (size > 0) {
        const ssize_t written = pwrite(file, bytes, size, offset);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<size_t>(written);
        offset += written;
    }
    return true;
}

bool SameFile(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

enum class Replace { Done, Failed, FolderNotWritable };

// The one temporary file of a save, "<name>.saving", locked. There is only
// ever one, so a save killed before its rename leaves nothing that the next
// save does not take over. The lock keeps two games saving at once from
// writing into each other's file: whoever waited for it finds the name
// renamed away and starts again.
Replace OpenTemporaryFile(const std::string& name, FileHandle& opened) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        FileHandle file(
            open(name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
        if (!file.IsOpen()) {
            const int openError = errno;
            if (openError == ENOENT || openError == ENOTDIR) return Replace::Failed;
            // Whatever stands on the name (a link, a pipe, a stale file made
            // read-only) is no one's save: it goes, where the folder lets it.
            if (unlink(name.c_str()) == 0) continue;
            const bool forbidden = openError == EACCES || openError == EPERM || openError == EROFS;
            return forbidden ? Replace::FolderNotWritable : Replace::Failed;
        }
        if (flock(file.Get(), LOCK_EX) != 0) return Replace::Failed;
        struct stat held {};
        struct stat named {};
        if (fstat(file.Get(), &held) == 0 && lstat(name.c_str(), &named) == 0 &&
            SameFile(held, named) && S_ISREG(held.st_mode)) {
            opened.Reset(file.Release());
            return Replace::Done;
        }
    }
    return Replace::Failed;
}

// A new file beside the target, flushed to the disk and renamed over it only
// when complete, so that a failed save or a power cut leaves the old bytes or
// the new ones, never a short or empty file.
Replace ReplaceAtomically(const std::string& target, const unsigned char* bytes, mode_t mode,
                          const struct stat* existing) {
    const std::string temporaryName = target + ".saving";
    FileHandle file;
    const Replace opened = OpenTemporaryFile(temporaryName, file);
    if (opened != Replace::Done) return opened;
    bool written = ftruncate(file.Get(), 0) == 0 && WriteAllAt(file.Get(), bytes, fileSize) &&
                   fchmod(file.Get(), mode) == 0;
    if (written && existing != nullptr &&
        (existing->st_uid != geteuid() || existing->st_gid != getegid())) {
        if (fchown(file.Get(), existing->st_uid, existing->st_gid) != 0) {
            // Only a save run by another user (root, say) could keep the
            // file's owner; the player's own save needs none of this.
        }
    }
    written = written && fsync(file.Get()) == 0;
    if (!written || std::rename(temporaryName.c_str(), target.c_str()) != 0) {
        unlink(temporaryName.c_str());
        return Replace::Failed;
    }
    // The rename itself reaches the disk with its folder. A file system that
    // cannot flush a folder still holds a whole file, old or new.
    const FileHandle folder(open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.IsOpen()) fsync(folder.Get());
    return file.Close() ? Replace::Done : Replace::Failed;
}

// Where the folder refuses new files but the file itself may be written (a
// folder the player locked, an options file they unlocked), the file is
// rewritten where it stands. The new bytes go first and the file is cut to
// 16 bytes after, so that an interrupted rewrite leaves a file whose first 16
// bytes are whole, old or new.
bool RewriteInPlace(int file, const unsigned char* bytes) {
    // A file-size limit under 16 bytes would cut the rewrite short in the
    // middle of the old bytes: refuse before touching them.
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur < fileSize) {
        return false;
    }
    return WriteAllAt(file, bytes, fileSize) && ftruncate(file, fileSize) == 0 && fsync(file) == 0;
}

bool WriteOptionsFile(const unsigned char* bytes) {
    CreateMissingFolders(FolderOf(optionsFileName));
    const std::string target = FollowLinks(optionsFileName);
    if (target.empty()) return false;

    struct stat status {};
    const bool exists = lstat(target.c_str(), &status) == 0;
    if (!exists && errno != ENOENT) return false;
    FileHandle existingFile;
    if (exists) {
        // A pipe, a device or a folder in the file's place is never written
        // through, nor replaced.
        if (!S_ISREG(status.st_mode)) return false;
        // A file the player made read-only keeps its bytes: only a file that
        // may be written is replaced.
        existingFile.Reset(
            open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC));
        if (!existingFile.IsOpen()) return false;
        if (fstat(existingFile.Get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    }
    // An existing file keeps its mode, a new one takes the player's umask.
    const mode_t mode = exists ? (status.st_mode & 07777) : NewFileMode();
    switch (ReplaceAtomically(target, bytes, mode, exists ? &status : nullptr)) {
        case Replace::Done:
            return true;
        case Replace::FolderNotWritable:
            return exists && RewriteInPlace(existingFile.Get(), bytes);
        case Replace::Failed:
            break;
    }
    return false;
}

}  // namespace

std::string UserOptionsFileName() {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    const std::string folder = configHome != nullptr && configHome[0] == '/'
                                   ? std::string(configHome)
                                   : HomeFolder() + "/.config";
    return StripTrailingSlashes(folder) + "/kestrune/options.kvz";
}

void LoadOptions() {
    // Read-only is enough: a file the player protected from writing still
    // holds their settings.
    unsigned char bytes[fileSize];
    FileRead read = ReadOptionsFile(optionsFileName, bytes);
    if (read == FileRead::Missing && !mediaOptionsFileName.empty())
        read = ReadOptionsFile(mediaOptionsFileName, bytes);
    if (read != FileRead::Whole) return;

    const uint32_t width = ReadU32(bytes);
    if (IsKnownWidth(width)) GameOptions.windowWidth = width;
    // The flags are kept exactly as read: any non-zero value counts as on.
    GameOptions.windowed = ReadU32(bytes + 4);
    GameOptions.lightsOn = ReadU32(bytes + 8);
    GameOptions.musicOn = ReadU32(bytes + 12);
}

void SaveOptions() {
    unsigned char bytes[fileSize];
    WriteLittleEndian(GameOptions.windowWidth, bytes);
    WriteLittleEndian(GameOptions.windowed, bytes + 4);
    WriteLittleEndian(GameOptions.lightsOn, bytes + 8);
    WriteLittleEndian(GameOptions.musicOn, bytes + 12);

    // Over a file-size limit the write comes up short and is reported, where
    // the signal's default action would end the game in the middle of it.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    const bool saved = WriteOptionsFile(bytes);
    sigaction(SIGXFSZ, &previous, nullptr);
    if (!saved) ReportSaveFailure();
}
