#pragma once

#include <cstdint>
#include <ostream>
#include <string>

namespace NS_Names {

// The name of a handler, an attribute or an event's sender or receiver.
//
// Names are fixed for the life of the process, so each distinct text is
// interned once into storage that is never freed, and a Name is a pointer to
// that entry: copying, comparing for equality and destroying a Name never
// allocate or look at characters. Only making a Name from text looks the text
// up (under a lock, so any thread may do it); hot paths keep their Names.
//
// The wide-string form stays available (str(), or the implicit conversion)
// wherever an interface hands a name out.
class Name {
public:
    // The empty name (tick events have an empty sender and receiver); free to
    // make, as every event makes two.
    constexpr Name() = default;
    // Interns the text (first use) or finds its entry. Implicit: a name may be
    // given wherever text is.
    Name(const std::wstring& text);
    Name(const wchar_t* text);

    const std::wstring& str() const { return text_ != nullptr ? *text_ : emptyText(); }
    operator const std::wstring&() const { return str(); }
    bool empty() const { return text_ == nullptr; }

    // Equal texts are one entry, so equality is identity.
    friend bool operator==(const Name& a, const Name& b) { return a.text_ == b.text_; }
    friend bool operator==(const Name& a, const std::wstring& b) { return a.str() == b; }
    friend bool operator==(const Name& a, const wchar_t* b) { return a.str() == b; }

    // Ascending order of the character codes taken as unsigned numbers, a
    // proper prefix first (wchar_t is signed on some platforms).
    static bool codeUnitLess(const std::wstring& a, const std::wstring& b);

private:
    // Null for the empty name, otherwise the interned text.
    const std::wstring* text_ = nullptr;

    static const std::wstring& emptyText();
};

// Names are plain ASCII; for diagnostics and test failure messages. Inline so
// that only code that prints names links the stream library: the statically
// linked Windows saver must not carry it.
inline std::ostream& operator<<(std::ostream& out, const Name& name) {
    for (wchar_t c : name.str())
        out << (c >= 0x20 && c < 0x7f ? static_cast<char>(c) : '?');
    return out;
}

} // namespace NS_Names
