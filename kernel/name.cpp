#include "kernel/name.h"

#include <algorithm>
#include <mutex>
#include <unordered_set>

namespace NS_Names {

namespace {
// Process-lifetime storage. Allocated once and never destroyed, so a Name held
// by a static object stays valid however the statics are torn down at exit.
// unordered_set nodes never move, so the address of a stored text is stable.
struct Table {
    std::mutex lock;
    std::unordered_set<std::wstring> texts;
};

Table& table() {
    static Table* instance = new Table();
    return *instance;
}

const std::wstring* intern(const std::wstring& text) {
    if (text.empty())
        return nullptr;
    Table& t = table();
    const std::lock_guard<std::mutex> guard(t.lock);
    return &*t.texts.insert(text).first;
}
} // namespace

const std::wstring& Name::emptyText() {
    static const std::wstring* const empty = new std::wstring();
    return *empty;
}

Name::Name(const std::wstring& text) : text_(intern(text)) {}

Name::Name(const wchar_t* text) : text_(intern(std::wstring(text))) {}

bool Name::codeUnitLess(const std::wstring& a, const std::wstring& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
            return static_cast<std::uint32_t>(x) < static_cast<std::uint32_t>(y);
        });
}

} // namespace NS_Names
