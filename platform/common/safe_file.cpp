// Files replaced whole: written to a temporary beside the file, flushed to
// disk, then given the file's name in one rename. A crash, a kill or a full
// disk leaves the old file or the new one, never a mixture; a failed write
// removes its temporary again.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/platform.h"

namespace platform {

struct SafeFile {
    std::FILE* stream = nullptr;
    std::string target;     // the name the new file takes
    std::string temporary;  // empty when written in place (a device or a pipe)
    bool replace = true;
    int error = 0;  // the first failure
};

namespace {

constexpr const char* kTemporaryMark = ".tmp-";
constexpr size_t kTemporaryLetters = 6;  // the XXXXXX of mkstemp
// A temporary this old belongs to no write still running.
constexpr time_t kStaleSeconds = 60;

// A symbolic link is followed, so the link stays and its target gets the new contents.
std::string targetOf(const std::string& path) {
    char* real = realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string result(real);
    std::free(real);
    return result;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

SafeFile* fail(SafeFile* file, int error, int* errorOut) {
    if (errorOut) *errorOut = error;
    delete file;
    return nullptr;
}

bool isTemporaryLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// The new file takes the name; without `replace` an existing file keeps it.
bool giveName(const SafeFile& file) {
    if (file.replace) return std::rename(file.temporary.c_str(), file.target.c_str()) == 0;
    if (renameat2(AT_FDCWD, file.temporary.c_str(), AT_FDCWD, file.target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the no-replace rename: a hard link refuses a taken name as well.
    if (::link(file.temporary.c_str(), file.target.c_str()) != 0) return false;
    ::unlink(file.temporary.c_str());
    return true;
}

}  // namespace

SafeFile* SafeFileBegin(const std::string& path, bool replace, int* error) {
    auto* file = new SafeFile;
    file->target = targetOf(path);
    file->replace = replace;

    mode_t mode;
    struct stat old;
    bool existed = ::stat(file->target.c_str(), &old) == 0;
    if (!existed && errno != ENOENT) return fail(file, errno, error);
    if (existed && S_ISDIR(old.st_mode)) return fail(file, EISDIR, error);
    if (existed && !replace) return fail(file, EEXIST, error);
    if (existed && !S_ISREG(old.st_mode)) {
        // A device or a pipe has no contents to keep: written in place.
        file->stream = std::fopen(file->target.c_str(), "wb");
        if (!file->stream) return fail(file, errno, error);
        return file;
    }
    if (existed) {
        // A file without a write permission stays as it is, also for root,
        // who could otherwise write it (and the rename needs only the folder).
        if (::faccessat(AT_FDCWD, file->target.c_str(), W_OK, AT_EACCESS) != 0) return fail(file, errno, error);
        if ((old.st_mode & 0222) == 0) return fail(file, EACCES, error);
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    std::string pattern = file->target + kTemporaryMark + std::string(kTemporaryLetters, 'X');
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) return fail(file, errno, error);
    file->temporary = pattern;
    // The new file is the old one's: its permissions and, when we may, its owner.
    if (existed && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)::fchown(fd, old.st_uid, old.st_gid);
    if (::fchmod(fd, mode) != 0 || !(file->stream = ::fdopen(fd, "wb"))) {
        int e = errno;
        ::close(fd);
        ::unlink(file->temporary.c_str());
        return fail(file, e, error);
    }
    return file;
}

bool SafeFileWrite(SafeFile* file, const void* data, size_t bytes) {
    if (file->error) return false;
    if (bytes && std::fwrite(data, 1, bytes, file->stream) != bytes) file->error = errno ? errno : EIO;
    return file->error == 0;
}

bool SafeFileWriteAt(SafeFile* file, long offset, const void* data, size_t bytes) {
    if (file->error) return false;
    if (std::fseek(file->stream, offset, SEEK_SET) != 0) file->error = errno ? errno : ESPIPE;
    else SafeFileWrite(file, data, bytes);
    if (!file->error && std::fseek(file->stream, 0, SEEK_END) != 0) file->error = errno ? errno : ESPIPE;
    return file->error == 0;
}

bool SafeFileCommit(SafeFile* file, int* error) {
    int e = file->error;
    // Buffered writes fail late: a full disk often shows only at the flush.
    if (std::fflush(file->stream) != 0 && !e) e = errno;
    if (!file->temporary.empty() && ::fsync(fileno(file->stream)) != 0 && !e) e = errno;
    if (std::fclose(file->stream) != 0 && !e) e = errno;
    if (!e && !file->temporary.empty()) {
        if (giveName(*file)) {
            // Make the rename itself durable.
            int dir = ::open(folderOf(file->target).c_str(), O_RDONLY | O_DIRECTORY);
            if (dir >= 0) {
                ::fsync(dir);
                ::close(dir);
            }
        } else {
            e = errno;
        }
    }
    if (e && !file->temporary.empty()) ::unlink(file->temporary.c_str());
    if (error) *error = e;
    delete file;
    return e == 0;
}

void SafeFileAbandon(SafeFile* file) {
    std::fclose(file->stream);
    if (!file->temporary.empty()) ::unlink(file->temporary.c_str());
    delete file;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t bytes, bool replace, int* error) {
    SafeFile* file = SafeFileBegin(path, replace, error);
    if (!file) return false;
    SafeFileWrite(file, data, bytes);
    return SafeFileCommit(file, error);
}

void RemoveStaleTemporaries(const std::string& path) {
    std::string target = targetOf(path);
    std::string folder = folderOf(target);
    size_t slash = target.rfind('/');
    std::string prefix = (slash == std::string::npos ? target : target.substr(slash + 1)) + kTemporaryMark;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    time_t now = std::time(nullptr);
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() != prefix.size() + kTemporaryLetters || name.compare(0, prefix.size(), prefix) != 0) continue;
        bool ours = true;
        for (size_t i = prefix.size(); i < name.size(); ++i) ours = ours && isTemporaryLetter(name[i]);
        std::string full = folder + "/" + name;
        struct stat st;
        if (!ours || ::lstat(full.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (now - st.st_mtime > kStaleSeconds) ::unlink(full.c_str());
    }
    ::closedir(dir);
}

}  // namespace platform
