#pragma once

#include <optional>
#include <string>
#include <string_view>

// What `veltrane --autostart on|off` did, in words for the user. When ok, whole
// lines for standard output, each ending in a newline; otherwise one phrase
// without a newline, for "veltrane: <message>" on standard error.
struct AutostartOutcome {
    bool ok = false;
    std::string message;
};

// The user's XDG autostart entry that runs `veltrane --idle MINUTES` at login:
// $XDG_CONFIG_HOME/autostart/veltrane-idle.desktop, or $HOME/.config/... when
// XDG_CONFIG_HOME is unset, empty or relative. GNOME, KDE Plasma and most
// desktops honour it; sway does not, so turning it on also prints the line for
// sway's config.
//
// The entry is ours when it is a regular file carrying the X-Veltrane-Autostart
// key; anything else of that name (the user's own entry, a link, a folder) is
// never replaced or removed, and the outcome says so. Writing is atomic: a
// temporary file in the same folder, flushed to disk, then renamed over the
// entry. Missing folders are made 0700; existing ones keep their modes.
class AutostartEntry {
public:
    static constexpr std::string_view fileName = "veltrane-idle.desktop";

    // configHome: an absolute folder, or empty when the user has none (every
    // change then fails). binary: the absolute path of the program the entry
    // runs. searchPath: $PATH, which decides whether the sway line can name the
    // program as plain `veltrane`.
    AutostartEntry(std::string configHome, std::string binary, std::string searchPath);
    // This user's entry, from the environment and the running program
    // (/proc/self/exe).
    static AutostartEntry forThisUser();
    // $XDG_CONFIG_HOME when absolute, else $HOME/.config when HOME is
    // absolute, else empty. Null stands for unset.
    static std::string configHomeFrom(const char* xdgConfigHome, const char* home);

    // Writes (or replaces our own) entry; minutes must be positive and finite.
    AutostartOutcome turnOn(double minutes) const;
    // Removes our own entry; none there is success too.
    AutostartOutcome turnOff() const;

    // Where the entry lives; empty without a config home.
    std::string path() const;
    // The entry's text; empty when the binary's path cannot be written in an
    // Exec value (a control character, not UTF-8).
    std::string contents(double minutes) const;
    // The line for sway's config: "exec veltrane --idle 10".
    std::string swayLine(double minutes) const;

private:
    std::string configHome_;
    std::string binary_;
    std::string searchPath_;
};

// One argument as a desktop entry's Exec value carries it: "%" doubled,
// quoted (with \ " ` $ escaped) when it holds a reserved character, then
// escaped as a string value (\ \n \t \r). Empty when it cannot be written.
std::string desktopExecArgument(std::string_view argument);
// One argument as sh reads it: bare when only safe characters, else in single
// quotes.
std::string shellArgument(std::string_view argument);
// Minutes as the command line takes them: the shortest decimal that reads back
// as the same number, never in exponent form ("10", "0.5").
std::string minutesText(double minutes);
