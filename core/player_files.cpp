#include "core/player_files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/player_store.h"

namespace {

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
Replace ReplaceAtomically(const std::string& target, const unsigned char* bytes, size_t size,
                          mode_t mode, const struct stat* existing) {
    const std::string temporaryName = target + ".saving";
    FileHandle file;
    const Replace opened = OpenTemporaryFile(temporaryName, file);
    if (opened != Replace::Done) return opened;
    bool written = ftruncate(file.Get(), 0) == 0 && WriteAllAt(file.Get(), bytes, size) &&
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
// their size after, so that an interrupted rewrite leaves a file whose first
// bytes are whole, old or new.
bool RewriteInPlace(int file, const unsigned char* bytes, size_t size) {
    // A file-size limit under the file's size would cut the rewrite short in
    // the middle of the old bytes: refuse before touching them.
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur < size) {
        return false;
    }
    return WriteAllAt(file, bytes, size) && ftruncate(file, static_cast<off_t>(size)) == 0 &&
           fsync(file) == 0;
}

bool WritePlayerFile(const std::string& name, const unsigned char* bytes, size_t size) {
    CreateMissingFolders(FolderOf(name));
    const std::string target = FollowLinks(name);
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
    switch (ReplaceAtomically(target, bytes, size, mode, exists ? &status : nullptr)) {
        case Replace::Done:
            return true;
        case Replace::FolderNotWritable:
            return exists && RewriteInPlace(existingFile.Get(), bytes, size);
        case Replace::Failed:
            break;
    }
    return false;
}

}  // namespace

std::string PlayerFolder(const char* variable, const char* fallback) {
    const char* home = std::getenv(variable);
    const std::string folder =
        home != nullptr && home[0] == '/' ? std::string(home) : HomeFolder() + "/" + fallback;
    return StripTrailingSlashes(folder) + "/kestrune";
}

PlayerFileRead ReadPlayerFile(const std::string& name, size_t limit,
                              std::vector<unsigned char>& bytes) {
    bytes.clear();
    const FileHandle file(open(name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.IsOpen()) {
        return errno == ENOENT ? PlayerFileRead::Missing : PlayerFileRead::Unreadable;
    }
    struct stat status {};
    if (fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return PlayerFileRead::Unreadable;
    }
    // One byte past the limit tells a file that is too long; nothing a
    // hostile file says about its size is trusted beyond that.
    bytes.resize(limit + 1);
    size_t total = 0;
    while (total < bytes.size()) {
        const ssize_t got = read(file.Get(), bytes.data() + total, bytes.size() - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            bytes.clear();
            return PlayerFileRead::Unreadable;
        }
        if (got == 0) break;
        total += static_cast<size_t>(got);
    }
    bytes.resize(total);
    return PlayerFileRead::Read;
}

bool SavePlayerFile(const std::string& name, const unsigned char* bytes, size_t size) {
    // Over a file-size limit the write comes up short and is reported, where
    // the signal's default action would end the game in the middle of it.
    struct sigaction ignore {
    }, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &previous);
    const bool written = WritePlayerFile(name, bytes, size);
    sigaction(SIGXFSZ, &previous, nullptr);
    return written && KeepPlayerFiles();
}

std::string SetDamagedFileAside(const std::string& name) {
    for (int attempt = 1; attempt <= 20; ++attempt) {
        const std::string aside =
            name + ".damaged" + (attempt == 1 ? std::string() : "-" + std::to_string(attempt));
        // A hard link is made only where the name is free: an earlier damaged
        // file is never replaced.
        if (link(name.c_str(), aside.c_str()) == 0) {
            unlink(name.c_str());
            return aside;
        }
        if (errno == EEXIST) continue;
        // A file system without hard links: rename where nothing stands yet.
        struct stat status {};
        if (lstat(aside.c_str(), &status) == 0) continue;
        return std::rename(name.c_str(), aside.c_str()) == 0 ? aside : std::string();
    }
    return std::string();
}

void RefuseDamagedFile(const std::string& name, const char* what) {
    const std::string aside = SetDamagedFileAside(name);
    if (aside.empty()) {
        std::fprintf(stderr, "kestrune: %s %s is damaged and was not read\n", what, name.c_str());
    } else {
        std::fprintf(stderr, "kestrune: %s %s is damaged; it was not read and is kept as %s\n",
                     what, name.c_str(), aside.c_str());
    }
}
