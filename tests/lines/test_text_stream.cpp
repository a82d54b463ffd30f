// The text-stream rule on its own: line splitting, CR LF, 0x1A, control lines,
// and that the result never depends on how the bytes are split into blocks.
#include "lines/text_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

bool collect(void *context, std::string_view line) {
    static_cast<Lines *>(context)->emplace_back(line);
    return true;
}

// Feeds `input` in blocks of `block` bytes (0: all at once).
Lines split(const std::string &input, size_t block = 0) {
    Lines lines;
    TextStream stream;
    size_t step = block ? block : input.size() + 1;
    for (size_t at = 0; at < input.size(); at += step) {
        size_t count = std::min(step, input.size() - at);
        if (!text_stream_feed(&stream, input.data() + at, count, collect, &lines))
            break;
    }
    text_stream_finish(&stream, collect, &lines);
    return lines;
}

TEST(TextStream, LineEnds) {
    EXPECT_EQ(split(""), Lines{});
    EXPECT_EQ(split("abc"), Lines{"abc"});
    EXPECT_EQ(split("abc\r\ndef"), (Lines{"abc", "def"}));
    EXPECT_EQ(split("abc\r\n\r\ndef\r\n"), (Lines{"abc", "", "def"}));
    EXPECT_EQ(split("abc\n\ndef\n"), (Lines{"abc", "", "def"}));
    EXPECT_EQ(split("\n"), Lines{""});
}

TEST(TextStream, CarriageReturnsNotBeforeLineFeedStay) {
    EXPECT_EQ(split("a\rb\r\n"), Lines{"a\rb"});
    EXPECT_EQ(split("a\r\r\n"), Lines{"a\r"});
    EXPECT_EQ(split("abc\r"), Lines{"abc\r"});
    EXPECT_EQ(split("\r"), Lines{"\r"});
}

TEST(TextStream, CtrlZEndsTheData) {
    EXPECT_EQ(split("abc\r\nde\x1A"
                    "fg\r\n"),
              (Lines{"abc", "de"}));
    EXPECT_EQ(split("abc\r\n\x1A"
                    "def\r\n"),
              Lines{"abc"});
    EXPECT_EQ(split("\x1A"
                    "abc\r\n"),
              Lines{});
    EXPECT_EQ(split("abc\r\x1A"), Lines{"abc\r"});
}

TEST(TextStream, ControlLinesAreDropped) {
    const std::string control = "\xFF\xE8 settings\r\n";
    EXPECT_EQ(split(control + "text\r\n" + control), Lines{"text"});
    EXPECT_EQ(split("\xFF\x41"
                    "kept\r\n"),
              Lines{"\xFF\x41"
                    "kept"});
    EXPECT_EQ(split("a\xFF\xE8\r\n"), Lines{"a\xFF\xE8"});
    EXPECT_EQ(split("\xFF\xE8"), Lines{});
    EXPECT_EQ(split("\xFF\r\n"), Lines{"\xFF"});
}

TEST(TextStream, LongLinesAndNulBytesAreKeptWhole) {
    std::string long_line(100000, 'x');
    long_line[600] = '\0';
    EXPECT_EQ(split(long_line + "\r\nend"), (Lines{long_line, "end"}));
    std::string control_long = "\xFF\xE8" + std::string(1000, 'y');
    EXPECT_EQ(split(control_long + "\r\n"), Lines{});
}

// Lines of several pieces are joined once, in the room the place callback
// gives, whatever the blocks they arrived in: a CR at a piece's end, a line
// ending exactly at a piece boundary, an unterminated one, a control line.
TEST(TextStream, LinesInPiecesAreJoinedWhereThePlaceCallbackSays) {
    constexpr size_t PIECE = TEXT_STREAM_PIECE_SIZE;
    std::string across(2 * PIECE + 7, 'p');
    across[PIECE - 1] = '\r';
    across[PIECE] = 'q';
    const std::string exact(PIECE, 'e');
    const std::string input = across + "\r\n" + exact + "\n" + "\xFF\xE8" +
                              std::string(PIECE, 'c') + "\nshort\r\n" + std::string(PIECE + 1, 't');
    const Lines expected{across, exact, "short", std::string(PIECE + 1, 't')};

    struct Rooms {
        Lines lines;
        std::vector<std::vector<char>> given;
        size_t handed_in_room = 0;
    };
    auto place = [](void *context, size_t length) -> char * {
        auto *rooms = static_cast<Rooms *>(context);
        rooms->given.emplace_back(length);
        return rooms->given.back().data();
    };
    auto sink = [](void *context, std::string_view line) {
        auto *rooms = static_cast<Rooms *>(context);
        if (!rooms->given.empty() && line.data() == rooms->given.back().data())
            ++rooms->handed_in_room;
        rooms->lines.emplace_back(line);
        return true;
    };
    for (size_t block : {size_t{4096}, PIECE - 1, PIECE + 3}) {
        Rooms rooms;
        TextStream stream;
        stream.place = place;
        for (size_t at = 0; at < input.size(); at += block)
            ASSERT_TRUE(text_stream_feed(&stream, input.data() + at,
                                         std::min(block, input.size() - at), sink, &rooms));
        ASSERT_TRUE(text_stream_finish(&stream, sink, &rooms));
        EXPECT_TRUE(rooms.lines == expected) << block;
        EXPECT_EQ(rooms.handed_in_room, 2u) << block; // `across` and the last line
        EXPECT_TRUE(stream.pieces.empty());
    }
    // Without a place callback the stream joins the line itself.
    EXPECT_TRUE(split(input, 65536) == expected);
}

TEST(TextStream, BlockBoundariesDoNotMatter) {
    const std::vector<std::string> inputs = {
        "abc\r\ndef\r\n\r\nghi",
        "\xFF\xE8\r\n\xFF\x33x\r\nline\rwith cr\r\r\n",
        std::string("nul\0byte\r\n", 10) + "tail\x1A"
                                           "after\r\n",
        "\r\n\r\n\r\r\r\n\n",
        std::string(700, 'z') + "\r\n" + std::string(300, 'w'),
    };
    for (const std::string &input : inputs) {
        Lines whole = split(input);
        for (size_t block = 1; block <= input.size(); ++block)
            ASSERT_EQ(split(input, block), whole) << "block " << block;
    }
}

TEST(TextStream, RefusingSinkStopsTheStream) {
    TextStream stream;
    int calls = 0;
    auto refuse_second = [](void *context, std::string_view) {
        return ++*static_cast<int *>(context) < 2;
    };
    EXPECT_FALSE(text_stream_feed(&stream, "a\nb\nc\n", 6, refuse_second, &calls));
    EXPECT_TRUE(stream.failed);
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(text_stream_finish(&stream, refuse_second, &calls));
    EXPECT_EQ(calls, 2);
}

TEST(TextStream, ALineLongerThanTheLimitFailsTheStreamAndKeepsTheLinesBefore) {
    for (size_t block : {1, 3, 16, 1000}) {
        Lines lines;
        TextStream stream;
        stream.line_limit = 10;
        // "exactly10!" is at the limit and passes; the 11-byte line does not,
        // whether it arrives whole in a block or in pieces.
        std::string input = "short\nexactly10!\nlonger than 10\nafter\n";
        bool fed = true;
        for (size_t at = 0; fed && at < input.size(); at += block)
            fed = text_stream_feed(&stream, input.data() + at, std::min(block, input.size() - at),
                                   collect, &lines);
        if (block < 10) {
            // Fed in pieces, the long line is collected and refused there.
            EXPECT_FALSE(fed) << block;
            EXPECT_FALSE(text_stream_finish(&stream, collect, &lines)) << block;
            EXPECT_EQ(lines, (Lines{"short", "exactly10!"})) << block;
            EXPECT_TRUE(stream.partial.empty());
        } else {
            // Whole in one block it never needs collecting: the limit guards
            // what the stream holds, the loader bounds what it keeps.
            EXPECT_TRUE(fed) << block;
            EXPECT_TRUE(text_stream_finish(&stream, collect, &lines)) << block;
            EXPECT_EQ(lines.size(), 4u) << block;
        }
    }
    // An unterminated last line over the limit is refused too.
    Lines lines;
    TextStream stream;
    stream.line_limit = 4;
    EXPECT_FALSE(text_stream_feed(&stream, "ab\ncd", 5, collect, &lines) &&
                 text_stream_feed(&stream, "efg", 3, collect, &lines));
    EXPECT_FALSE(text_stream_finish(&stream, collect, &lines));
    EXPECT_EQ(lines, Lines{"ab"});
}

} // namespace
