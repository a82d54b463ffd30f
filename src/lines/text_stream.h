// The text-stream rule that turns a document's raw bytes into lines:
//  - CR LF arrives as LF; a CR not followed by LF stays in the line;
//  - the first 0x1A (Ctrl+Z) ends the data;
//  - lines are split at LF; a last line without LF is a line too;
//  - lines that begin with 0xFF 0xE8 are control lines and are dropped.
// Pure code: no file access and no platform calls, so it runs the same
// everywhere. Feed it the bytes in blocks of any size.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// A line still unfinished at the end of a block is collected in pieces of this
// size, so growing it never copies what was collected before.
constexpr size_t TEXT_STREAM_PIECE_SIZE = 1024 * 1024;

// Room for a line of `length` bytes that has arrived in several pieces; the
// next sink call receives the line in that room. Null when there is no room.
using TextStreamPlace = char *(*)(void *context, size_t length);

struct TextStream {
    std::vector<char> partial;                   // the last piece of the unfinished line
    std::vector<std::vector<char>> pieces;       // its full pieces before that, in order
    bool ended = false;                          // a 0x1A was seen
    bool failed = false;                         // the sink refused a line, or one was too long
    size_t line_limit = static_cast<size_t>(-1); // longest line to collect
    // Where a line in pieces is joined; without it the stream joins it in
    // memory of its own, and the sink copies it once more.
    TextStreamPlace place = nullptr;
};

// Receives each line (without its line end); returns false to stop the stream
// (for instance when memory runs out).
using TextStreamSink = bool (*)(void *context, std::string_view line);

// Feeds one block of raw bytes. Returns false once the stream has ended
// (0x1A seen) or the sink refused a line: further input is not wanted.
bool text_stream_feed(TextStream *stream, const char *bytes, size_t count, TextStreamSink sink,
                      void *context);

// Ends the data: delivers the unterminated last line, if any. Returns false
// when the sink refused it.
bool text_stream_finish(TextStream *stream, TextStreamSink sink, void *context);

// True for a control line, which the loader drops.
bool text_stream_is_control_line(std::string_view line);
