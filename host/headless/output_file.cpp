#include "host/headless/output_file.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string failure(const std::string& path, const std::string& reason) {
    return "cannot write " + path + ": " + reason;
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates a new hidden file next to `target`, exclusively, so that whatever
// is removed later is known to be this run's own. The mode goes through the
// umask, as any newly created file's does.
int createTemporary(const std::string& target, std::string& name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = directoryOf(target) + "/." + baseNameOf(target) + "." +
               std::to_string(static_cast<long>(getpid())) + "." +
               std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}
// An encoder that stops because its output failed reports that failure, not
// its own.
std::string reason(bool produced, bool flushed, int why) {
    return produced || !flushed ? std::strerror(why) : "the encoder failed";
}

// Runs the producer into the stream, then flushes and closes it (always).
// Empty on success, otherwise why it failed.
std::string produceAndClose(std::FILE* stream, const std::function<bool(std::FILE*)>& produce) {
    const bool produced = produce(stream);
    const bool flushed = std::fflush(stream) == 0 && std::ferror(stream) == 0;
    int why = errno;
    bool ok = produced && flushed;
    if (std::fclose(stream) != 0 && ok) {
        ok = false;
        why = errno;
    }
    return ok ? std::string() : reason(produced, flushed, why);
}
} // namespace

bool writeAll(std::FILE* file, const void* content, std::size_t size) {
    return size == 0 || std::fwrite(content, 1, size, file) == size;
}

namespace {
// A file can be made next to `target` (the replacement is written there and
// renamed over it); the probe is removed at once.
bool canCreateNextTo(const std::string& target) {
    std::string probe;
    const int fd = createTemporary(target, probe);
    if (fd < 0)
        return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}
} // namespace

std::unique_ptr<OutputFile> OutputFile::prepare(const std::string& path, std::string& error) {
    if (path == "-")
        return prepareStandardOutput(error);
    if (path.empty()) {
        error = "cannot write an empty file name";
        return nullptr;
    }
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return prepareNewFile(path, errno, error);
    if (S_ISREG(status.st_mode))
        return prepareRegularFile(path, static_cast<unsigned>(status.st_mode & 0777), error);
    if (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode))
        return prepareStream(path, error);
    error = failure(path, S_ISDIR(status.st_mode)
                              ? "it is a directory"
                              : "it is not a regular file, a FIFO or a character device");
    return nullptr;
}

std::unique_ptr<OutputFile> OutputFile::prepareStandardOutput(std::string& error) {
    if (fcntl(STDOUT_FILENO, F_GETFL) == -1) {
        error = "cannot write to standard output: it is closed";
        return nullptr;
    }
    if (isatty(STDOUT_FILENO)) {
        error = "will not write a picture to a terminal: redirect standard output";
        return nullptr;
    }
    return std::unique_ptr<OutputFile>(new OutputFile("-", Kind::StandardOutput));
}

// `path` could not be stat'ed, for reason `why`: a new file, unless the
// reason is another.
std::unique_ptr<OutputFile> OutputFile::prepareNewFile(const std::string& path, int why,
                                                       std::string& error) {
    struct stat link {};
    if (why == ENOENT && lstat(path.c_str(), &link) == 0) {
        error = failure(path, "it is a symbolic link to nothing");
        return nullptr;
    }
    if (why != ENOENT) {
        error = failure(path, std::strerror(why));
        return nullptr;
    }
    // A new file: only its directory must let us create one.
    std::unique_ptr<OutputFile> file(new OutputFile(path, Kind::RegularFile));
    file->target_ = path;
    if (!canCreateNextTo(path)) {
        error = failure(path, std::strerror(errno));
        return nullptr;
    }
    return file;
}

std::unique_ptr<OutputFile> OutputFile::prepareRegularFile(const std::string& path, unsigned mode,
                                                           std::string& error) {
    if (access(path.c_str(), W_OK) != 0) {
        error = failure(path, std::strerror(errno));
        return nullptr;
    }
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) {
        error = failure(path, std::strerror(errno));
        return nullptr;
    }
    std::unique_ptr<OutputFile> file(new OutputFile(path, Kind::RegularFile));
    file->target_ = resolved;
    file->existed_ = true;
    file->mode_ = mode;
    if (!canCreateNextTo(file->target_)) {
        error = failure(path, std::string(std::strerror(errno)) +
                                  " (its directory must allow creating a file)");
        return nullptr;
    }
    return file;
}

std::unique_ptr<OutputFile> OutputFile::prepareStream(const std::string& path, std::string& error) {
    // Non-blocking, so that a FIFO without a reader fails now (ENXIO)
    // instead of holding the run forever before it starts.
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = failure(path, errno == ENXIO ? std::string("no process is reading it (start "
                                                           "the reader first, or write to "
                                                           "'-' and a pipe)")
                                             : std::string(std::strerror(errno)));
        return nullptr;
    }
    if (isatty(fd)) {
        close(fd);
        error = failure(path, "it is a terminal");
        return nullptr;
    }
    // From here on a slow reader makes the writer wait, as it should.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::unique_ptr<OutputFile> file(new OutputFile(path, Kind::Stream));
    file->fd_ = fd;
    return file;
}

OutputFile::~OutputFile() {
    if (fd_ >= 0)
        close(fd_);
}

bool OutputFile::write(const std::function<bool(std::FILE*)>& produce, std::string& error) {
    if (kind_ == Kind::RegularFile)
        return writeRegular(produce, error);
    if (kind_ == Kind::StandardOutput) {
        const bool produced = produce(stdout);
        const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
        if (!produced || !flushed) {
            error = failure("standard output", reason(produced, flushed, errno));
            return false;
        }
        return true;
    }
    std::FILE* stream = fd_ >= 0 ? fdopen(fd_, "wb") : nullptr;
    if (stream == nullptr) {
        error = failure(path_, fd_ >= 0 ? std::strerror(errno) : "written already");
        return false;
    }
    fd_ = -1;
    const std::string why = produceAndClose(stream, produce);
    if (!why.empty())
        error = failure(path_, why);
    return why.empty();
}

bool OutputFile::writeRegular(const std::function<bool(std::FILE*)>& produce, std::string& error) {
    std::string temporary;
    const int fd = createTemporary(target_, temporary);
    if (fd < 0) {
        error = failure(path_, std::strerror(errno));
        return false;
    }
    if (existed_)
        fchmod(fd, static_cast<mode_t>(mode_));
    std::FILE* stream = fdopen(fd, "wb");
    if (stream == nullptr) {
        error = failure(path_, std::strerror(errno));
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    std::string why = produceAndClose(stream, produce);
    if (why.empty() && std::rename(temporary.c_str(), target_.c_str()) != 0)
        why = std::strerror(errno);
    if (!why.empty()) {
        // Only the file this run created goes; the destination is untouched.
        unlink(temporary.c_str());
        error = failure(path_, why);
    }
    return why.empty();
}
