#include "text_stream.h"

#include <cstring>

namespace {

constexpr char LINE_FEED = 0x0A;
constexpr char CARRIAGE_RETURN = 0x0D;
constexpr char END_OF_DATA = 0x1A;

// Delivers one complete line; `line` still carries the CR of a CR LF pair.
bool deliver(TextStream *stream, std::string_view line, TextStreamSink sink, void *context) {
    if (!line.empty() && line.back() == CARRIAGE_RETURN)
        line.remove_suffix(1);
    if (text_stream_is_control_line(line))
        return true;
    if (!sink(context, line)) {
        stream->failed = true;
        return false;
    }
    return true;
}

// Adds bytes to the unfinished line unless that makes it longer than the
// limit, in which case the stream fails.
bool collect(TextStream *stream, const char *from, const char *to) {
    if (static_cast<size_t>(to - from) > stream->line_limit - stream->partial.size()) {
        stream->failed = true;
        stream->partial.clear();
        return false;
    }
    stream->partial.insert(stream->partial.end(), from, to);
    return true;
}

} // namespace

bool text_stream_is_control_line(std::string_view line) {
    return line.size() >= 2 && static_cast<unsigned char>(line[0]) == 0xFF &&
           static_cast<unsigned char>(line[1]) == 0xE8;
}

bool text_stream_feed(TextStream *stream, const char *bytes, size_t count, TextStreamSink sink,
                      void *context) {
    if (stream->ended || stream->failed)
        return false;
    if (const void *stop = std::memchr(bytes, END_OF_DATA, count)) {
        count = static_cast<size_t>(static_cast<const char *>(stop) - bytes);
        stream->ended = true;
    }
    const char *end = bytes + count;
    const char *start = bytes;
    while (start < end) {
        const char *feed = static_cast<const char *>(std::memchr(start, LINE_FEED, end - start));
        if (!feed) {
            if (!collect(stream, start, end))
                return false;
            break;
        }
        bool accepted;
        if (stream->partial.empty()) {
            accepted = deliver(stream, std::string_view(start, feed - start), sink, context);
        } else {
            if (!collect(stream, start, feed))
                return false;
            accepted =
                deliver(stream, std::string_view(stream->partial.data(), stream->partial.size()),
                        sink, context);
            stream->partial.clear();
        }
        if (!accepted)
            return false;
        start = feed + 1;
    }
    return !stream->ended;
}

bool text_stream_finish(TextStream *stream, TextStreamSink sink, void *context) {
    if (stream->failed)
        return false;
    if (stream->partial.empty())
        return true;
    // No LF follows, so a final CR is a lone CR and stays in the line.
    std::string_view line(stream->partial.data(), stream->partial.size());
    bool accepted = true;
    if (!text_stream_is_control_line(line) && !sink(context, line)) {
        stream->failed = true;
        accepted = false;
    }
    stream->partial.clear();
    return accepted;
}
