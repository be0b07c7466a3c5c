#include "platform/file_bytes.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int opened) : descriptor(opened) {}
    ~FileDescriptor() {
        if (descriptor >= 0) close(descriptor);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return descriptor; }
    int release() { return std::exchange(descriptor, -1); }

  private:
    int descriptor;
};

// A named pipe would hold a plain open until some writer came, and a read
// until it wrote: the open does not wait, and only a regular file is kept.
int OpenRegularFile(const char* path, int& error) {
    FileDescriptor file(open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (file.get() < 0) {
        error = errno;
        return -1;
    }
    struct stat status {};
    error = 0;
    if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return -1;
    return file.release();
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// The entry of `folder` named `part` without regard to case; the first in
// byte order when several differ only in case, so the choice never depends
// on the order the folder lists them in. "" when there is none.
std::string EntryIgnoringCase(const std::string& folder, const std::string& part) {
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (directory == nullptr) return {};
    std::string found;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (strcasecmp(name.c_str(), part.c_str()) == 0 && (found.empty() || name < found)) {
            found = name;
        }
    }
    closedir(directory);
    return found;
}

// The path walked part by part as Windows reads it: `\` and `/` both
// separate, empty parts and "." are dropped, and a part missing exactly is
// looked for without regard to case.
std::string SearchIgnoringCase(const std::string& path) {
    std::string found = !path.empty() && IsSeparator(path[0]) ? "/" : "";
    size_t start = 0;
    while (start < path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        const std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        const std::string folder = found;
        if (!found.empty() && found.back() != '/') found += '/';
        struct stat status {};
        if (lstat((found + part).c_str(), &status) == 0) {
            found += part;
            continue;
        }
        const std::string entry = EntryIgnoringCase(folder, part);
        if (entry.empty()) return {};
        found += entry;
    }
    return found;
}

bool IsMiss(int error) {
    return error == ENOENT || error == ENOTDIR;
}

}  // namespace

std::string FindDataFile(const char* path) {
    if (path == nullptr || path[0] == '\0') return {};
    struct stat status {};
    if (stat(path, &status) == 0) return S_ISREG(status.st_mode) ? path : std::string();
    if (!IsMiss(errno)) return {};
    const std::string found = SearchIgnoringCase(path);
    if (found.empty() || stat(found.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return {};
    return found;
}

int OpenDataFile(const char* path) {
    if (path == nullptr || path[0] == '\0') return -1;
    int error = 0;
    const int descriptor = OpenRegularFile(path, error);
    if (descriptor >= 0 || !IsMiss(error)) return descriptor;
    const std::string found = SearchIgnoringCase(path);
    return found.empty() ? -1 : OpenRegularFile(found.c_str(), error);
}

bool ReadFileBytes(const char* path, size_t maxSize, std::vector<uint8_t>& bytes) {
    const FileDescriptor file(OpenDataFile(path));
    struct stat status {};
    if (file.get() < 0 || fstat(file.get(), &status) != 0 || status.st_size < 0 ||
        static_cast<uint64_t>(status.st_size) > maxSize) {
        return false;
    }
    std::vector<uint8_t> contents(static_cast<size_t>(status.st_size));
    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t count = read(file.get(), contents.data() + done, contents.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return false;
        if (count == 0) break;  // the file shrank under us: keep what was there
        done += static_cast<size_t>(count);
    }
    contents.resize(done);
    bytes = std::move(contents);
    return true;
}
