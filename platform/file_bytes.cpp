#include "platform/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

  private:
    int descriptor;
};

}  // namespace

bool ReadFileBytes(const char* path, size_t maxSize, std::vector<uint8_t>& bytes) {
    if (path == nullptr) return false;
    const FileDescriptor file(open(path, O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (file.get() < 0 || fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        status.st_size < 0 || static_cast<uint64_t>(status.st_size) > maxSize) {
        return false;
    }
    std::vector<uint8_t> contents(static_cast<size_t>(status.st_size));
    size_t done = 0;
    while (done < contents.size()) {
        const ssize_t count = read(file.get(), contents.data() + done, contents.size() - done);
        if (count < 0) return false;
        if (count == 0) break;  // the file shrank under us: keep what was there
        done += static_cast<size_t>(count);
    }
    contents.resize(done);
    bytes = std::move(contents);
    return true;
}
