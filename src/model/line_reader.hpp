// A model file read line by line, never whole: the lines without their end
// (LF or CRLF), numbered from 1, a UTF-8 byte-order mark dropped.  A file
// is hostile until read: a line longer than max_line_length is a ModelError
// rather than unbounded memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace exp_slipv {

class LineReader {
public:
    static constexpr std::size_t max_line_length = 1 << 20;

    // Opens the file; ModelReadFailure when it cannot be opened or is a
    // directory.
    explicit LineReader(std::string path);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The next line, valid until the next call; false at the end of the
    // file.  A read error is a ModelReadFailure.
    bool next(std::string_view& line);
    // The number of the line next() gave last.
    std::int64_t line_number() const { return line_number_; }
    // The first bytes of the file (up to a buffer's worth), without the
    // byte-order mark: what a reader recognises a format by.
    std::string_view head();
    const std::string& path() const { return path_; }

private:
    bool fill();  // more bytes into the buffer; false at the end

    std::string path_;
    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t begin_ = 0, end_ = 0;  // unread bytes [begin_, end_)
    bool eof_ = false;
    bool started_ = false;  // the byte-order mark has been looked for
    std::int64_t line_number_ = 0;
    std::string long_line_;  // a line that crosses the buffer's end
};

}  // namespace exp_slipv
