#include "text_stream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr char LINE_FEED = 0x0A;
constexpr char CARRIAGE_RETURN = 0x0D;
constexpr char END_OF_DATA = 0x1A;

size_t collected_size(const TextStream *stream) {
    return stream->pieces.size() * TEXT_STREAM_PIECE_SIZE + stream->partial.size();
}

void drop_collected(TextStream *stream) {
    stream->pieces.clear();
    stream->partial.clear();
}

// Hands one complete line to the sink unless it is a control line.
bool hand_over(TextStream *stream, std::string_view line, TextStreamSink sink, void *context) {
    if (text_stream_is_control_line(line))
        return true;
    if (!sink(context, line)) {
        stream->failed = true;
        return false;
    }
    return true;
}

// Adds bytes to the unfinished line unless that makes it longer than the
// limit, in which case the stream fails. A full piece is set aside whole, so
// no byte is copied twice however long the line grows.
bool collect(TextStream *stream, const char *from, const char *to) {
    if (static_cast<size_t>(to - from) > stream->line_limit - collected_size(stream)) {
        stream->failed = true;
        drop_collected(stream);
        return false;
    }
    while (from < to) {
        std::vector<char> &partial = stream->partial;
        if (partial.size() == TEXT_STREAM_PIECE_SIZE) {
            stream->pieces.push_back(std::move(partial));
            partial = std::vector<char>();
            partial.reserve(TEXT_STREAM_PIECE_SIZE);
        }
        size_t take =
            std::min(static_cast<size_t>(to - from), TEXT_STREAM_PIECE_SIZE - partial.size());
        if (partial.capacity() < partial.size() + take)
            partial.reserve(std::min(TEXT_STREAM_PIECE_SIZE,
                                     std::max(2 * partial.capacity(), partial.size() + take)));
        partial.insert(partial.end(), from, from + take);
        from += take;
    }
    return true;
}

// Joins a line collected in pieces where the sink wants it (or in memory of
// our own), giving each piece back as soon as it is copied, and hands it over.
bool hand_over_pieces(TextStream *stream, size_t length, TextStreamSink sink, void *context) {
    if (text_stream_is_control_line({stream->pieces.front().data(), 2})) {
        drop_collected(stream);
        return true;
    }
    std::vector<char> own;
    char *room = nullptr;
    if (stream->place) {
        room = stream->place(context, length);
    } else {
        own.resize(length);
        room = own.data();
    }
    if (!room) {
        stream->failed = true;
        drop_collected(stream);
        return false;
    }
    size_t at = 0;
    for (std::vector<char> &piece : stream->pieces) {
        std::memcpy(room + at, piece.data(), piece.size());
        at += piece.size();
        std::vector<char>().swap(piece);
    }
    std::memcpy(room + at, stream->partial.data(), length - at);
    drop_collected(stream);
    return hand_over(stream, std::string_view(room, length), sink, context);
}

// Hands over the collected line; `line_feed`: an LF ended it, so a CR before
// that LF is part of the line end.
bool hand_over_collected(TextStream *stream, bool line_feed, TextStreamSink sink, void *context) {
    size_t length = collected_size(stream);
    if (line_feed && stream->partial.back() == CARRIAGE_RETURN)
        --length;
    if (!stream->pieces.empty())
        return hand_over_pieces(stream, length, sink, context);
    bool accepted =
        hand_over(stream, std::string_view(stream->partial.data(), length), sink, context);
    stream->partial.clear();
    return accepted;
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
        // The collected part of a line is never empty, whatever its pieces.
        if (stream->partial.empty()) {
            std::string_view line(start, feed - start);
            if (!line.empty() && line.back() == CARRIAGE_RETURN)
                line.remove_suffix(1);
            accepted = hand_over(stream, line, sink, context);
        } else {
            if (!collect(stream, start, feed))
                return false;
            accepted = hand_over_collected(stream, true, sink, context);
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
    return hand_over_collected(stream, false, sink, context);
}
