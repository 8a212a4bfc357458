// Fuzzes the formatter: a format from the input, each escape given a typed argument made from
// the rest of the input, and the result compared with a plain model built on std::string
// (except '^', whose digits only the sanitizers watch).
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/format.h"

namespace {

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    template <typename T>
    T Take()
    {
        T value{};
        const size_t n = static_cast<size_t>(end_ - p_) < sizeof(T) ? static_cast<size_t>(end_ - p_) : sizeof(T);
        memcpy(&value, p_, n);
        p_ += n;
        return value;
    }
    std::string TakeText(size_t most)
    {
        std::string s;
        while (p_ < end_ && s.size() < most && *p_) s += static_cast<char>(*p_++);
        if (p_ < end_) ++p_;
        return s;
    }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

struct Arg {
    enum Kind { Int, Double, Pointer } kind;
    int32_t i = 0;
    double d = 0;
    const void* p = nullptr;
};

class Typed final : public FormatArgs {
public:
    explicit Typed(const std::vector<Arg>& args) : args_(args) {}
    int32_t NextInt() override { return args_.at(next_++).i; }
    double NextDouble() override { return args_.at(next_++).d; }
    const void* NextPointer() override { return args_.at(next_++).p; }

private:
    const std::vector<Arg>& args_;
    size_t next_ = 0;
};

uint32_t ModelNumber(const char** cursor)
{
    const char* p = *cursor;
    uint32_t v = 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        for (p += 2;; ++p) {
            const char c = *p;
            if (c >= '0' && c <= '9') v = v * 16 + static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f') v = v * 16 + static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') v = v * 16 + static_cast<uint32_t>(c - 'A' + 10);
            else break;
        }
    } else if (p[0] == '0') {
        for (++p; *p >= '0' && *p <= '7'; ++p) v = v * 8 + static_cast<uint32_t>(*p - '0');
    } else {
        for (; *p >= '0' && *p <= '9'; ++p) v = v * 10 + static_cast<uint32_t>(*p - '0');
    }
    *cursor = p;
    return v;
}

void Skip(const char** cursor, char close)
{
    while (**cursor && **cursor != close) ++*cursor;
    if (**cursor) ++*cursor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Bytes in(data, size);
    const std::string format = in.TakeText(512);
    const uint8_t flags = in.Take<uint8_t>() & 3;

    // Storage the pointers of the arguments refer to; reserved so that it never moves.
    std::vector<std::string> texts;
    texts.reserve(format.size() + 1);
    std::vector<TextBuffer> buffers(format.size() + 1);
    size_t buffersUsed = 0;
    std::vector<Arg> args;
    std::string expected;

    for (const char* p = format.c_str(); *p;) {
        const char c = *p++;
        Arg arg{Arg::Int};
        switch (c) {
        case '#':
            arg.i = in.Take<int32_t>();
            expected += std::to_string(arg.i);
            break;
        case '&': {
            arg.i = in.Take<int32_t>();
            char hex[16];
            snprintf(hex, sizeof hex, "%X", static_cast<uint32_t>(arg.i));
            expected += hex;
            break;
        }
        case '^': {
            arg.kind = Arg::Double;
            arg.d = in.Take<double>();
            char out[20];
            expected.append(out, static_cast<size_t>(WriteDouble(arg.d, out)));
            break;
        }
        case '$':
            arg.kind = Arg::Pointer;
            if (in.Take<uint8_t>() & 1) {
                texts.push_back(in.TakeText(64));
                arg.p = texts.back().c_str();
                expected += texts.back();
            }
            break;
        case '~': {
            arg.kind = Arg::Pointer;
            TextBuffer& b = buffers[buffersUsed++];
            const std::string text = in.TakeText(64);
            if (!text.empty()) {
                b.ResizeDiscard(static_cast<int32_t>(text.size()));
                memcpy(b.Data(), text.data(), text.size());
            }
            arg.p = &b;
            expected += text;
            break;
        }
        case '{': {
            arg.kind = Arg::Pointer;
            const bool present = in.Take<uint8_t>() & 1;
            const char* numberAt = p;
            const uint32_t count = ModelNumber(&numberAt);
            if (present && count <= 4096) {
                texts.push_back(std::string(count, 'b'));
                arg.p = texts.back().data();
                expected += texts.back();
            }
            Skip(&p, '}');
            break;
        }
        case '[':
            if (*p >= '0' && *p <= '9') {
                expected += static_cast<char>(ModelNumber(&p) & 0xFF);
                Skip(&p, ']');
            } else {
                expected += '[';
            }
            continue;
        default:
            expected += c;
            continue;
        }
        args.push_back(arg);
    }

    TextBuffer out(flags);
    Typed typed(args);
    FormatTextAt(out, 0, format.c_str(), typed);
    const std::string got(out.Data(), static_cast<size_t>(out.Length()));
    if (got != expected || out.Data()[out.Length()] != 0 || out.Data()[out.Length() + 1] != 0 || out.Length() > out.Capacity())
        __builtin_trap();
    return 0;
}
