#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

// Where a rendered picture (PNG or WebP) goes. `prepare` runs before the
// rendering so that a typo costs no waiting; `write` runs after it.
//
// - "-" is standard output (refused when it is a terminal).
// - A regular file, or a new name, is written to a temporary file in the same
//   directory that is then renamed over it: the old content stays whole until
//   the new one is complete, and a failed write removes only that temporary
//   file. A symbolic link is followed (the link stays, its target is
//   replaced, keeping its permission bits); a dangling one is refused, as is
//   a file the user may not write.
// - A FIFO or a character device (/dev/null) is written in place, never
//   truncated, created or removed. `prepare` opens it without blocking and
//   keeps it open: a FIFO nobody reads yet is refused at once instead of
//   hanging.
// - Anything else (a directory, a block device, a socket) is refused.
class OutputFile {
public:
    // Null, with a one-line reason naming `path` in `error`, when the picture
    // could not be written there. Leaves nothing behind in the file system.
    static std::unique_ptr<OutputFile> prepare(const std::string& path, std::string& error);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes the whole content through `produce` (false: it failed) and puts
    // it in place. Once only. False, with the reason in `error`, when anything
    // failed; the destination then holds what it held before (regular files)
    // or what was written so far (streams).
    bool write(const std::function<bool(std::FILE*)>& produce, std::string& error);

    const std::string& path() const { return path_; }
    bool isStandardOutput() const { return kind_ == Kind::StandardOutput; }

private:
    enum class Kind { StandardOutput, Stream, RegularFile };
    OutputFile(std::string path, Kind kind) : path_(std::move(path)), kind_(kind) {}

    // The steps of prepare, one per kind of destination.
    static std::unique_ptr<OutputFile> prepareStandardOutput(std::string& error);
    static std::unique_ptr<OutputFile> prepareNewFile(const std::string& path, int why,
                                                      std::string& error);
    static std::unique_ptr<OutputFile> prepareRegularFile(const std::string& path, unsigned mode,
                                                          std::string& error);
    static std::unique_ptr<OutputFile> prepareStream(const std::string& path, std::string& error);

    bool writeRegular(const std::function<bool(std::FILE*)>& produce, std::string& error);

    std::string path_; // as given, for messages
    Kind kind_;
    std::string target_; // regular files: the path with symbolic links resolved
    bool existed_ = false;
    unsigned mode_ = 0; // permission bits of the file replaced, when it existed
    int fd_ = -1;       // streams: opened by prepare
};

// Writes `content` of `size` bytes; for `produce` callbacks.
bool writeAll(std::FILE* file, const void* content, std::size_t size);
