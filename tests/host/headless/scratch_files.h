#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// A fresh, empty folder under the system's temporary directory, named for the
// test that owns it, and the whole contents of a file.
namespace scratch_files {

inline std::filesystem::path scratch(const std::string& prefix, const std::string& name) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / (prefix + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::string contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace scratch_files
