#include "host/app/autostart_entry.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view ownershipKey = "X-Veltrane-Autostart=true";

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing past U+10FFFF.
bool isUtf8(std::string_view text) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    for (size_t i = 0; i < text.size();) {
        const unsigned lead = byte(i);
        const size_t length = lead < 0x80                   ? 1
                              : lead >= 0xC2 && lead < 0xE0 ? 2
                              : lead >= 0xE0 && lead < 0xF0 ? 3
                              : lead >= 0xF0 && lead < 0xF5 ? 4
                                                            : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80)
                return false;
        }
        const unsigned second = length > 1 ? byte(i + 1) : 0x80;
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
            (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
            return false;
        i += length;
    }
    return true;
}

std::string errnoText() {
    return std::strerror(errno);
}

// Makes every missing folder of `path` (absolute), 0700 as the base directory
// rules ask; folders already there are left alone.
bool makeFolders(const std::string& path, std::string& error) {
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string prefix = path.substr(0, end);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            error = "cannot make the folder " + prefix + ": " + errnoText();
            return false;
        }
        struct stat info = {};
        if (stat(prefix.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            error = "cannot make the folder " + prefix + ": something else has that name";
            return false;
        }
        if (end == std::string::npos)
            return true;
    }
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = write(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        text.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Writes `text` to a new file beside `target` and renames it over `target`, so
// a reader sees the old entry or the new one, never a part.
bool replaceAtomically(const std::string& folder, const std::string& target,
                       const std::string& text, std::string& error) {
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = folder + "/." + std::string(AutostartEntry::fileName) + "." +
                    std::to_string(getpid()) + "." + std::to_string(attempt);
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        error = "cannot write in " + folder + ": " + errnoText();
        return false;
    }
    const bool written = writeAll(fd, text) && fsync(fd) == 0;
    const int writeErrno = errno;
    if (close(fd) != 0 || !written || rename(temporary.c_str(), target.c_str()) != 0) {
        error = "cannot write " + target + ": " + std::strerror(written ? errno : writeErrno);
        unlink(temporary.c_str());
        return false;
    }
    const int folderFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
    return true;
}

enum class Existing { None, Ours, Foreign };

Existing existingEntry(const std::string& path) {
    struct stat info = {};
    if (lstat(path.c_str(), &info) != 0)
        return errno == ENOENT ? Existing::None : Existing::Foreign;
    if (!S_ISREG(info.st_mode))
        return Existing::Foreign;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return Existing::Foreign;
    std::string text(static_cast<size_t>(info.st_size < 65536 ? info.st_size : 65536), '\0');
    const ssize_t got = read(fd, text.data(), text.size());
    close(fd);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    const size_t at = text.find(ownershipKey);
    const bool lineStart = at != std::string::npos && (at == 0 || text[at - 1] == '\n');
    return lineStart ? Existing::Ours : Existing::Foreign;
}

bool sameFile(const std::string& a, const std::string& b) {
    struct stat first = {}, second = {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// True when a PATH lookup of "veltrane" finds `binary` itself.
bool onSearchPath(const std::string& binary, const std::string& searchPath) {
    for (size_t start = 0; start <= searchPath.size();) {
        size_t end = searchPath.find(':', start);
        if (end == std::string::npos)
            end = searchPath.size();
        const std::string folder = searchPath.substr(start, end - start);
        const std::string candidate = (folder.empty() ? "." : folder) + "/veltrane";
        if (access(candidate.c_str(), X_OK) == 0)
            return folder.starts_with('/') && sameFile(candidate, binary);
        start = end + 1;
    }
    return false;
}

std::string minutesPhrase(double minutes) {
    const std::string text = minutesText(minutes);
    return text + (text == "1" ? " minute" : " minutes");
}

std::string foreignMessage(const std::string& path) {
    return path + " was not written by veltrane --autostart; it is left as it is. Remove or " +
           "rename it first to let veltrane manage it.";
}

} // namespace

AutostartEntry::AutostartEntry(std::string configHome, std::string binary, std::string searchPath)
    : configHome_(std::move(configHome)), binary_(std::move(binary)),
      searchPath_(std::move(searchPath)) {}

AutostartEntry AutostartEntry::forThisUser() {
    char buffer[4096];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    const std::string binary = length > 0 ? std::string(buffer, static_cast<size_t>(length)) : "";
    const char* searchPath = std::getenv("PATH");
    return AutostartEntry(configHomeFrom(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")),
                          binary, searchPath ? searchPath : "");
}

std::string AutostartEntry::configHomeFrom(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome && xdgConfigHome[0] == '/')
        return xdgConfigHome;
    if (home && home[0] == '/')
        return std::string(home) + (std::string_view(home).ends_with('/') ? "" : "/") + ".config";
    return "";
}

std::string AutostartEntry::path() const {
    return configHome_.empty() ? "" : configHome_ + "/autostart/" + std::string(fileName);
}

std::string AutostartEntry::contents(double minutes) const {
    const std::string program = desktopExecArgument(binary_);
    if (program.empty())
        return "";
    const std::string text = minutesText(minutes);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Veltrane screen saver\n"
           "Comment=Shows the Veltrane screen saver after " +
           minutesPhrase(minutes) + " without input\n" + "Exec=" + program + " --idle " + text +
           "\n"
           "Icon=org.example.veltrane\n"
           "Terminal=false\n" +
           std::string(ownershipKey) + "\n";
}

std::string AutostartEntry::swayLine(double minutes) const {
    const std::string program =
        onSearchPath(binary_, searchPath_) ? "veltrane" : shellArgument(binary_);
    return "exec " + program + " --idle " + minutesText(minutes);
}

AutostartOutcome AutostartEntry::turnOn(double minutes) const {
    if (!(minutes > 0) || !std::isfinite(minutes))
        return {false, "the idle time must be a positive number of minutes"};
    if (configHome_.empty())
        return {false, "cannot find your configuration folder: neither XDG_CONFIG_HOME nor HOME "
                       "names an absolute folder"};
    if (binary_.empty() || binary_[0] != '/')
        return {false, "cannot tell where the veltrane program is"};
    const std::string text = contents(minutes);
    if (text.empty())
        return {false, "the program's path cannot be written in a desktop entry: " + binary_};
    const std::string target = path();
    const Existing existing = existingEntry(target);
    if (existing == Existing::Foreign)
        return {false, foreignMessage(target)};
    const std::string folder = configHome_ + "/autostart";
    std::string error;
    if (!makeFolders(folder, error) || !replaceAtomically(folder, target, text, error))
        return {false, error};
    return {true, std::string(existing == Existing::Ours ? "Replaced " : "Wrote ") + target +
                      ": from your next login, GNOME, KDE Plasma and most desktops start "
                      "veltrane --idle " +
                      minutesText(minutes) + ", which shows the saver after " +
                      minutesPhrase(minutes) +
                      " without input.\nOn sway, which does not read autostart "
                      "entries, put this line in its config instead:\n    " +
                      swayLine(minutes) + "\n"};
}

AutostartOutcome AutostartEntry::turnOff() const {
    if (configHome_.empty())
        return {false, "cannot find your configuration folder: neither XDG_CONFIG_HOME nor HOME "
                       "names an absolute folder"};
    const std::string target = path();
    const std::string sway =
        "On sway, also remove the exec veltrane --idle line from its config.\n";
    switch (existingEntry(target)) {
    case Existing::None:
        return {true, "No autostart entry at " + target + "; nothing to remove.\n" + sway};
    case Existing::Foreign:
        return {false, foreignMessage(target)};
    case Existing::Ours:
        break;
    }
    if (unlink(target.c_str()) != 0 && errno != ENOENT)
        return {false, "cannot remove " + target + ": " + errnoText()};
    return {true, "Removed " + target +
                      ": no watcher starts at your next login; one running now goes on until "
                      "you end it or log out.\n" +
                      sway};
}

std::string desktopExecArgument(std::string_view argument) {
    if (!isUtf8(argument))
        return "";
    constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#`";
    bool quote = argument.empty();
    std::string unquoted;
    for (char c : argument) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') ||
            c == 0x7F)
            return "";
        quote = quote || reserved.find(c) != std::string_view::npos;
        unquoted += c == '%' ? "%%" : std::string(1, c);
    }
    std::string quoted = quote ? "\"" : "";
    for (char c : unquoted) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            quoted += '\\';
        quoted += c;
    }
    quoted += quote ? "\"" : "";
    std::string escaped;
    for (char c : quoted) {
        escaped += c == '\\'   ? "\\\\"
                   : c == '\n' ? "\\n"
                   : c == '\t' ? "\\t"
                   : c == '\r' ? "\\r"
                               : std::string(1, c);
    }
    return escaped;
}

std::string shellArgument(std::string_view argument) {
    constexpr std::string_view safe = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                      "0123456789/._-+,:@%=";
    if (!argument.empty() && argument.find_first_not_of(safe) == std::string_view::npos)
        return std::string(argument);
    std::string quoted = "'";
    for (char c : argument)
        quoted += c == '\'' ? "'\\''" : std::string(1, c);
    return quoted + "'";
}

std::string minutesText(double minutes) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, minutes, std::chars_format::fixed);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : "";
}
