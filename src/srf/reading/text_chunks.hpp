// An SRF's text cut into chunks that the cores turn into numbers while the
// reader goes through the earlier ones.  A chunk ends after a line end, or
// after a blank where a line is longer than a chunk, so that no field is
// ever cut; the pieces of a chunk are its lines (or parts of a long one),
// each with the fields on it:
//
//   bytes   "1.0\n# made by x\nPOINTS 2\n0.1 0.2 ..."
//   pieces  [1.0] [# made by x] [POINTS 2] [0.1 0.2 ...]
//   fields  1.0 | (a comment has none) | POINTS 2 | 0.1 0.2 ...
//
// Fields are split on blanks, tabs and carriage returns; each is converted
// once, here, to a double: a word gives NaN, a number beyond the doubles
// infinity, one below the smallest 0.  The chunks are cut at the same
// places and converted alike whatever the number of threads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace exp_slipv {

struct TextPiece {
    std::uint32_t begin = 0, end = 0;  // its bytes without the line end (LF, CRLF)
    std::uint32_t first_field = 0, fields = 0;
    bool starts_line = false, ends_line = false;
    bool comment = false;  // a line whose first mark is '#' (known where the piece starts the line)
};

struct TextChunk {
    static constexpr std::size_t default_size = 1 << 20;  // bytes read at a time
    std::string bytes;
    bool begins_line = true;
    bool oversized_field = false;  // a field longer than a chunk: no place to cut
    std::vector<TextPiece> pieces;
    std::vector<double> values;               // a field each
    std::vector<std::uint32_t> field_begin;   // where each field's text starts in bytes
    std::vector<std::uint32_t> field_size;

    std::string_view field_text(std::uint32_t field) const {
        return std::string_view(bytes).substr(field_begin[field], field_size[field]);
    }
    // Fills pieces and fields from bytes.
    void convert();
};

// The value of one field as the chunks convert it.
double field_value(std::string_view text);

// Up to `capacity` more bytes of the file into `into`; 0 at its end.  A
// read failure is thrown.
using ReadBytes = std::function<std::size_t(char* into, std::size_t capacity)>;

class TextChunks {
public:
    // threads <= 1: everything on the calling thread.  chunk_size: the
    // bytes read at a time, also the longest field.
    TextChunks(ReadBytes read, int threads, std::size_t chunk_size = TextChunk::default_size);
    ~TextChunks();
    TextChunks(const TextChunks&) = delete;
    TextChunks& operator=(const TextChunks&) = delete;

    // The next chunk, valid until the next call; nullptr at the end.  A
    // failure to read is thrown here.  While it waits, a stop request
    // (an interrupt) is acted on.
    const TextChunk* next();
    // Bytes of the file in the chunks given so far.
    std::uint64_t bytes_given() const { return bytes_given_; }
    std::size_t chunk_size() const { return chunk_size_; }

private:
    enum class State { free, cut, ready, end };
    struct Slot {
        TextChunk chunk;
        State state = State::free;
        std::exception_ptr error;
    };
    bool cut(TextChunk& chunk);  // the next chunk's bytes; false at the end
    void work();

    ReadBytes read_;
    std::size_t chunk_size_;
    std::string carry_;  // bytes after the last cut
    bool at_end_ = false, first_ = true, last_ended_line_ = true;
    std::uint64_t bytes_given_ = 0;

    std::vector<Slot> slots_;
    std::mutex cut_mutex_;  // held while a chunk is read and cut
    std::mutex mutex_;      // the slots' states and the counts below
    std::condition_variable changed_;
    std::uint64_t next_cut_ = 0, next_given_ = 0;
    bool holding_ = false, stopping_ = false, ended_ = false;
    std::vector<std::jthread> workers_;
};

}  // namespace exp_slipv
