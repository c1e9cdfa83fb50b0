#include "srf/reading/text_chunks.hpp"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "parallel/parallel.hpp"
#include "textio/signals.hpp"

namespace exp_slipv {

namespace {

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
constexpr auto stop_check_interval = std::chrono::milliseconds(100);
constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// Blank, tab and carriage return part fields; a table, since every byte
// of the file asks.
constexpr auto separator_table = [] {
    std::array<bool, 256> table{};
    table[' '] = table['\t'] = table['\r'] = true;
    return table;
}();
bool separates(char c) { return separator_table[static_cast<unsigned char>(c)]; }

}  // namespace

namespace {

// Powers of ten that doubles hold exactly.
constexpr double exact_powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int largest_exact_power = 22;
constexpr std::uint64_t largest_exact_integer = std::uint64_t{1} << 53;
constexpr int most_digits = 19;  // that a 64-bit integer always holds
constexpr int largest_exponent_digits = 4;

bool digit(char c) { return c >= '0' && c <= '9'; }

// The common decimal field, d.ddddddE+dd and the like, converted by one
// exact operation: an integer below 2^53 times or over an exact power of
// ten is the correctly rounded value, the same as from_chars gives.
// False where that does not hold; the general conversion takes over.
bool exact_decimal(const char* p, const char* end, double& value) {
    bool negative = false;
    if (p != end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    std::uint64_t mantissa = 0;
    int digits = 0, scale = 0;
    bool any = false;
    for (; p != end && digit(*p); ++p, any = true) {
        if (mantissa == 0 && *p == '0') continue;
        if (++digits > most_digits) return false;
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    if (p != end && *p == '.') {
        for (++p; p != end && digit(*p); ++p, any = true) {
            --scale;
            if (mantissa == 0 && *p == '0') continue;
            if (++digits > most_digits) return false;
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
        }
    }
    if (!any) return false;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool minus = false;
        if (p != end && (*p == '-' || *p == '+')) minus = *p++ == '-';
        int exponent = 0, exponent_digits = 0;
        for (; p != end && digit(*p); ++p) {
            if (++exponent_digits > largest_exponent_digits) return false;
            exponent = exponent * 10 + (*p - '0');
        }
        if (exponent_digits == 0) return false;
        scale += minus ? -exponent : exponent;
    }
    if (p != end) return false;
    if (mantissa > largest_exact_integer || scale < -largest_exact_power || scale > largest_exact_power) {
        if (mantissa != 0) return false;
        scale = 0;
    }
    double v = static_cast<double>(mantissa);
    v = scale < 0 ? v / exact_powers[-scale] : v * exact_powers[scale];
    value = negative ? -v : v;
    return true;
}

}  // namespace

double field_value(std::string_view text) {
    double fast = 0.0;
    if (exact_decimal(text.data(), text.data() + text.size(), fast)) return fast;
    const char* begin = text.data();
    const char* end = begin + text.size();
    // from_chars takes no plus sign; one, before a digit or point, is allowed.
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin == end || *begin == '+' || *begin == '-') return not_a_number;
    }
    double value = 0.0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (stop != end) return not_a_number;
    if (error == std::errc()) return value;
    if (error != std::errc::result_out_of_range) return not_a_number;
    // Beyond the doubles (infinity) or below the smallest (0): strtod says which.
    const std::string copy(text);
    return std::strtod(copy.c_str(), nullptr);
}

void TextChunk::convert() {
    pieces.clear();
    values.clear();
    field_begin.clear();
    field_size.clear();
    const char* const base = bytes.data();
    const std::size_t n = bytes.size();
    std::size_t at = 0;
    bool line_start = begins_line;
    while (at < n) {
        const void* found = std::memchr(base + at, '\n', n - at);
        const std::size_t line_end = found ? static_cast<std::size_t>(static_cast<const char*>(found) - base) : n;
        TextPiece piece;
        piece.begin = static_cast<std::uint32_t>(at);
        piece.starts_line = line_start;
        piece.ends_line = found != nullptr;
        std::size_t end = line_end;
        if (piece.ends_line && end > at && base[end - 1] == '\r') --end;
        piece.end = static_cast<std::uint32_t>(end);
        piece.first_field = static_cast<std::uint32_t>(values.size());
        std::size_t i = at;
        while (i < end && separates(base[i])) ++i;
        piece.comment = line_start && i < end && base[i] == '#';
        if (!piece.comment)
            while (i < end) {
                const std::size_t start = i;
                while (i < end && !separates(base[i])) ++i;
                double value = 0.0;
                if (!exact_decimal(base + start, base + i, value)) value = field_value(std::string_view(base + start, i - start));
                values.push_back(value);
                field_begin.push_back(static_cast<std::uint32_t>(start));
                field_size.push_back(static_cast<std::uint32_t>(i - start));
                while (i < end && separates(base[i])) ++i;
            }
        piece.fields = static_cast<std::uint32_t>(values.size()) - piece.first_field;
        pieces.push_back(piece);
        at = line_end + (found ? 1 : 0);
        line_start = piece.ends_line;
    }
}

TextChunks::TextChunks(ReadBytes read, int threads, std::size_t chunk_size)
    : read_(std::move(read)), chunk_size_(chunk_size > 0 ? chunk_size : 1) {
    const std::size_t workers = threads > 1 ? static_cast<std::size_t>(threads) : 0;
    slots_.resize(workers > 0 ? workers + 2 : 1);
    for (std::size_t i = 0; i < workers; ++i) workers_.push_back(start_thread([this] { work(); }));
}

TextChunks::~TextChunks() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::jthread& worker : workers_) worker.join();
}

bool TextChunks::cut(TextChunk& chunk) {
    // Copied, not swapped: each buffer keeps its size, and the pages once
    // touched are not asked for again.
    chunk.bytes.assign(carry_);
    carry_.clear();
    chunk.oversized_field = false;
    // A pipe gives what it has: what holds a line end goes on at once, so
    // that a writer who pauses is answered, not waited for.
    while (!at_end_ && chunk.bytes.size() < chunk_size_) {
        const std::size_t had = chunk.bytes.size();
        chunk.bytes.resize(chunk_size_ + had);
        const std::size_t got = read_(chunk.bytes.data() + had, chunk_size_);
        chunk.bytes.resize(had + got);
        if (got == 0) at_end_ = true;
        if (got < chunk_size_ && chunk.bytes.find('\n', had) != std::string::npos) break;
    }
    if (first_) {
        first_ = false;
        if (chunk.bytes.starts_with(byte_order_mark)) chunk.bytes.erase(0, byte_order_mark.size());
    }
    if (chunk.bytes.empty()) return false;
    if (!at_end_) {
        // After the last line end; in a line longer than a chunk, after its
        // last separator; a field longer than a chunk has no place to cut.
        std::size_t cut_at = chunk.bytes.rfind('\n');
        if (cut_at == std::string::npos) cut_at = chunk.bytes.find_last_of(" \t");
        if (cut_at == std::string::npos) {
            chunk.oversized_field = true;
            at_end_ = true;
        } else {
            carry_.assign(chunk.bytes, cut_at + 1);
            chunk.bytes.resize(cut_at + 1);
        }
    }
    chunk.begins_line = last_ended_line_;
    last_ended_line_ = chunk.bytes.back() == '\n';
    return true;
}

// The reads and cuts go in order under cut_mutex_, never under mutex_, so
// that the reader of the chunks can always take mutex_ to act on an
// interrupt, even while a read waits on a pipe.
void TextChunks::work() {
    for (;;) {
        Slot* slot = nullptr;
        {
            const std::lock_guard cutting(cut_mutex_);
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [&] {
                    const std::uint64_t oldest = holding_ ? next_given_ - 1 : next_given_;
                    return stopping_ || ended_ || next_cut_ < oldest + slots_.size();
                });
                if (stopping_ || ended_) return;
                slot = &slots_[next_cut_ % slots_.size()];
                ++next_cut_;
                slot->state = State::cut;
            }
            bool more = false;
            try {
                more = cut(slot->chunk);
            } catch (...) {
                slot->error = std::current_exception();
            }
            if (!more) {
                {
                    const std::lock_guard lock(mutex_);
                    slot->state = State::end;
                    ended_ = true;
                }
                changed_.notify_all();
                return;
            }
        }
        slot->chunk.convert();
        {
            const std::lock_guard lock(mutex_);
            slot->state = State::ready;
        }
        changed_.notify_all();
    }
}

const TextChunk* TextChunks::next() {
    if (workers_.empty()) {
        Slot& slot = slots_[0];
        if (!cut(slot.chunk)) return nullptr;
        slot.chunk.convert();
        bytes_given_ += slot.chunk.bytes.size();
        return &slot.chunk;
    }
    std::unique_lock lock(mutex_);
    if (holding_) {
        slots_[(next_given_ - 1) % slots_.size()].state = State::free;
        holding_ = false;
        changed_.notify_all();
    }
    Slot& slot = slots_[next_given_ % slots_.size()];
    // Waits in short steps: an interrupt is taken by this thread alone.
    while (!changed_.wait_for(lock, stop_check_interval,
                              [&] { return slot.state == State::ready || slot.state == State::end; })) {
        lock.unlock();
        textio::check_stop_request();
        lock.lock();
    }
    if (slot.error) std::rethrow_exception(slot.error);
    if (slot.state == State::end) return nullptr;
    ++next_given_;
    holding_ = true;
    bytes_given_ += slot.chunk.bytes.size();
    return &slot.chunk;
}

}  // namespace exp_slipv
