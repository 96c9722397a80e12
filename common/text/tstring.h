#pragma once
// tstring: the UTF-16 value string that crosses every boundary of Tarquel.
// Lengths and positions are UTF-16 code units; "not found" is -1. The base is a std::u16string
// (char16_t, the same units as QString), never std::wstring, whose wchar_t is 32 bits here.
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "tarquel_export.h"

// One argument of tstring::Format. It records what the caller passed so that the formatter can
// check it against the directive: "%s" takes wide text, "%d"/"%i"/"%u"/"%x"/"%c" integers,
// "%f"/"%g"/"%e" floating point. A directive given an argument of the wrong kind formats as
// "(?)" instead of reading memory it was not given.
class FormatArg {
  public:
    enum class Kind { Signed, Unsigned, Floating, WideText };
    FormatArg(int v) : kind_(Kind::Signed), i_(v) {}
    FormatArg(long v) : kind_(Kind::Signed), i_(v) {}
    FormatArg(long long v) : kind_(Kind::Signed), i_(v) {}
    FormatArg(unsigned v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(unsigned long v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(unsigned long long v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(char16_t v) : kind_(Kind::Unsigned), u_(v) {}
    FormatArg(double v) : kind_(Kind::Floating), d_(v) {}
    FormatArg(const char16_t* v)
        : kind_(Kind::WideText), s_(v ? std::u16string_view(v) : std::u16string_view()) {}
    FormatArg(const std::u16string& v) : kind_(Kind::WideText), s_(v) {}
    FormatArg(std::u16string_view v) : kind_(Kind::WideText), s_(v) {}
    FormatArg(const class tstring& v);

    Kind kind() const { return kind_; }
    long long AsSigned() const { return kind_ == Kind::Unsigned ? static_cast<long long>(u_) : i_; }
    unsigned long long AsUnsigned() const {
        return kind_ == Kind::Signed ? static_cast<unsigned long long>(i_) : u_;
    }
    double AsFloating() const { return d_; }
    std::u16string_view AsText() const { return s_; }

  private:
    Kind kind_;
    long long i_ = 0;
    unsigned long long u_ = 0;
    double d_ = 0;
    std::u16string_view s_;
};

// Told when tstring::ToMultiByte meets characters the code page cannot hold. The text layer shows
// nothing itself: Tarquel installs its message box here when it loads, so this folder depends on
// nothing above it. Set once at start; null reports nowhere.
using LossyConversionReporter = void (*)();
void SetLossyConversionReporter(LossyConversionReporter reporter);

class TARQUEL_API tstring {
  public:
    using base_type = std::u16string;
    static constexpr int kFormatLimit = 499;  // code units; the classic 500-unit buffer with its terminator

    tstring() = default;
    tstring(const char16_t* text);  // a null pointer gives an empty string
    tstring(const std::u16string& text) : base_(text) {}
    tstring(std::u16string&& text) noexcept : base_(std::move(text)) {}
    explicit tstring(const char* narrow);  // narrow text in the system's code page
    tstring(const tstring&) = default;
    tstring(tstring&&) noexcept = default;
    tstring& operator=(const tstring&) = default;
    tstring& operator=(tstring&&) noexcept = default;
    tstring& operator=(const std::u16string& text) {
        base_ = text;
        return *this;
    }
    virtual ~tstring();

    const char16_t* Data() const { return base_.c_str(); }
    operator const char16_t*() const { return base_.c_str(); }
    std::u16string& GetBase() { return base_; }
    const std::u16string& GetBase() const { return base_; }
    int GetLength() const { return static_cast<int>(base_.size()); }
    bool IsEmpty() const { return base_.empty(); }

    // Editing
    tstring& MakeUpper();
    tstring& MakeLower();
    tstring& TrimLeft(char16_t c);
    tstring& TrimRight(char16_t c);
    tstring& Trim(char16_t c);
    template <typename... Args>
    void Format(const char16_t* format, const Args&... args) {
        const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
        FormatList(format, list, sizeof...(Args));
    }
    void FormatList(const char16_t* format, const FormatArg* args, std::size_t count);
    void Replace(const tstring& from, const tstring& to, int start);
    void ReplaceAll(const tstring& from, const tstring& to);
    // Replaces every oldChar by newChar in the first count units of buffer (terminators included).
    static void Replace(char16_t* buffer, unsigned long count, char16_t newChar, char16_t oldChar);

    // Extraction; a start past the end throws std::out_of_range.
    tstring Mid(int first) const;
    tstring Mid(int first, int count) const;
    tstring Left(int count) const;
    tstring Right(int count) const;

    // Search
    int Find(char16_t c) const;
    int Find(const tstring& text, int start = 0) const;
    int ReFind(char16_t c) const;

    // Splits at any one of the separator characters; throws TokenizeError on empty input.
    std::vector<tstring> Spilt(const std::u16string& separators, bool skipEmpty) const;

    // Narrow text in the system's code page, zero-terminated; null for an empty string.
    // Unmappable characters become the code page's default character and are reported to the
    // lossy-conversion reporter (the programs' message box, see SetLossyConversionReporter).
    std::unique_ptr<char[]> ToMultiByte() const;
    static std::unique_ptr<char[]> ToMultiByte(const char16_t* text);
    static int EqualBuffer(const void* a, const void* b, unsigned long length);

    friend bool operator==(const tstring& a, const tstring& b) { return a.base_ == b.base_; }
    friend bool operator==(const tstring& a, const char16_t* b) { return a.base_ == (b ? b : u""); }
    friend bool operator<(const tstring& a, const tstring& b) { return a.base_ < b.base_; }
    friend tstring operator+(const tstring& a, const tstring& b) { return tstring(a.base_ + b.base_); }
    tstring& operator+=(const tstring& b) {
        base_ += b.base_;
        return *this;
    }

  private:
    void InitFromMultiByte(const char* narrow);
    std::u16string base_;
};

inline FormatArg::FormatArg(const tstring& v) : kind_(Kind::WideText), s_(v.GetBase()) {}

// The error Spilt raises on empty input; what() is "tokenize: empty string" and Text() the same
// as wide text.
class TokenizeError : public std::exception {
  public:
    const char* what() const noexcept override { return "tokenize: empty string"; }
    const char16_t* Text() const noexcept { return u"tokenize: empty string"; }
};
