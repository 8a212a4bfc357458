#pragma once
// The one string type of the program: an owned heap block with an explicit byte length,
// always followed by two zero bytes. A buffer holding one path is therefore also a one-item
// double-zero-terminated list, which is what SHFileOperationA wants.
//
// Portable: no <windows.h>. The three operations that call the platform (ReadWindowText,
// LoadResourceString, ConvertToWide) live in text_buffer_win32.cpp and exist only there.

#include <stdint.h>
#include <string.h>

#ifdef _WIN32
struct HWND__;
#endif

class TextBuffer {
public:
    enum : uint8_t {
        NoShrink = 1,    // never give memory back; for scratch buffers refilled again and again
        LargeSlack = 2,  // grow by 1000 extra bytes instead of 10
    };
    enum : int {
        ReserveKeepText = 1,
        ReserveSetLength = 2,
    };

    // constexpr, so that a process-wide buffer needs no code at start-up.
    constexpr TextBuffer() = default;
    explicit constexpr TextBuffer(uint8_t initialFlags) : flags_(initialFlags) {}
    ~TextBuffer() { Release(); }
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Resizing primitives; each applies the growth policy for n bytes (n >= 0).
    // The text is lost when a new block is taken.
    void ResizeDiscard(int32_t n);
    // The first min(old length, n) bytes survive.
    void Resize(int32_t n);
    // As ResizeDiscard, but a replaced block is not freed: *oldBlock receives it (or null) and
    // the caller frees it with FreeBlock after copying out. Returns true when a new block was taken.
    bool ResizeDetach(int32_t n, bool noTerminators, char** oldBlock);
    static void FreeBlock(char* block);

    void Release();
    char* Reserve(int32_t n, int mode);
    void SetLength(int32_t n, bool keepBlock);

    static bool EqualsNoCase(const TextBuffer& a, const TextBuffer& b);
    bool StartsWith(const char* text, int32_t n) const;
    bool EndsWith(const char* text, int32_t n) const;
    // Whether a zero byte stands inside the text: such a text names one thing to a reader
    // that takes the length and another to one that stops at the zero.
    bool HoldsZeroByte() const { return length_ > 0 && memchr(data_, 0, static_cast<size_t>(length_)) != nullptr; }

    TextBuffer& Append(const TextBuffer& other);
    TextBuffer& Prepend(const TextBuffer& other);
    TextBuffer& PrependText(const char* text);
    TextBuffer& CopyPart(const TextBuffer& source, int32_t position, int32_t count, bool append);
    TextBuffer& Assign(const TextBuffer& other);
    TextBuffer& AssignText(const char* text);
    // Inline, so that a literal's length is known at compile time and an append that fits the
    // block (the common case for a list growing line by line) is a copy and a test.
    TextBuffer& AppendText(const char* text)
    {
        if (!text) return *this;
        const int32_t n = static_cast<int32_t>(strlen(text));
        const int32_t newLength = length_ + n;
        if (data_ && text != data_ && newLength <= capacity_ && !ShrinksTo(newLength)) {
            memcpy(data_ + length_, text, static_cast<size_t>(n));
            Terminate(newLength);
            return *this;
        }
        return AppendTextSlow(text, n);
    }
    TextBuffer& AssignConcat(const TextBuffer& b, const char* text);
    TextBuffer& AssignConcatText(const char* text1, const char* text2);
    TextBuffer& TrimEnd(char ch);

    // Keeps the folder part of a path (through its last \, / or :), or of a command line whose
    // program path is quoted; a leading $Name$ or %NAME% token is never cut. Source may be *this.
    TextBuffer& GetFolderPart(const TextBuffer& source);

#ifdef _WIN32
    int32_t ReadWindowText(HWND__* window, bool useMessages);
    TextBuffer& LoadResourceString(unsigned id);
    // Converts ANSI text (or, for null or the own text, this buffer's own bytes) to UTF-16.
    // Returns data; a failed conversion leaves the empty text.
    char* ConvertToWide(const char* text);
#endif

    // The fields, read-only: every change goes through an operation, which keeps the length
    // within the capacity and the two zero bytes after the text.
    char* Data() const { return data_; }            // the owned block of capacity + 3 bytes, or null
    int32_t Length() const { return length_; }      // text bytes, not counting the two trailing zeros
    int32_t Capacity() const { return capacity_; }  // text bytes the block can hold
    uint8_t Flags() const { return flags_; }
    const char* Text() const { return data_ ? data_ : ""; }

    // Adds flags (NoShrink, LargeSlack); they govern the next resize.
    void AddFlags(uint8_t more) { flags_ = static_cast<uint8_t>(flags_ | more); }
    // Hands the block to the caller, who frees it with FreeBlock; the buffer is empty after.
    char* TakeBlock();
    // The next resize takes a new block even when the present one has room, so that text read
    // from the old block during that resize stays valid (see ResizeDetach).
    void ForceNewBlock() { capacity_ = 0; }

private:
    char* data_ = nullptr;
    int32_t length_ = 0;
    int32_t capacity_ = 0;
    uint8_t flags_ = 0;

    // Applies the growth policy; returns true when a new block must be taken and sets *newCapacity.
    bool NeedsNewBlock(int32_t n, int32_t* newCapacity) const;
    // The growth policy's shrink test for a block that holds n bytes already.
    bool ShrinksTo(int32_t n) const
    {
        return !(flags_ & NoShrink) && capacity_ > 2 * static_cast<int64_t>(n) + ((flags_ & LargeSlack) ? 5000 : 50);
    }
    TextBuffer& AppendTextSlow(const char* text, int32_t n);
    // Sets the length and writes the two zero bytes after it. Defined here because the
    // platform half of the type (text_buffer_win32.cpp) calls it too.
    void Terminate(int32_t n)
    {
        length_ = n;
        data_[n] = 0;
        data_[n + 1] = 0;
    }
    TextBuffer& PrependBytes(const char* bytes, int32_t count, bool ownText);
};
