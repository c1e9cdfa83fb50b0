#include "srf/reading/srf_reader.hpp"

#include <cmath>
#include <optional>
#include <string_view>

#include "model/model_error.hpp"

namespace exp_slipv {

namespace {

constexpr int point_fields_1 = 8;
constexpr int point_fields_2 = 10;
constexpr int plane_fields = 11;  // ELON ELAT NSTK NDIP LEN WID, STK DIP DTOP SHYP DHYP
constexpr int plane_nstk = 2, plane_ndip = 3;

struct Field {
    double value = 0.0;
    std::string text;
    std::int64_t line = 0;
    bool word() const { return std::isnan(value); }
};

bool same_word(std::string_view text, std::string_view word) {
    if (text.size() != word.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if ((text[i] & ~0x20) != word[i]) return false;  // upper case
    return true;
}

std::string shown(std::string_view text) {
    constexpr std::size_t longest = 40;
    return "'" + std::string(text.substr(0, longest)) + (text.size() > longest ? "...'" : "'");
}

// The fields of the text in order, with their lines; the lines' own facts
// go to the visitor as each line ends.
class FieldStream {
public:
    FieldStream(TextChunks& chunks, SrfVisitor& visitor) : chunks_(chunks), visitor_(visitor) {}

    bool peek(Field& field) {
        if (!ready()) return false;
        field.value = chunk_->values[next_];
        field.text = std::string(chunk_->field_text(next_));
        field.line = line_;
        return true;
    }
    bool next(Field& field) {
        if (!peek(field)) return false;
        ++next_;
        return true;
    }
    // The next field as a finite number; false at the end of the file.
    bool number(double& value, std::int64_t* line = nullptr) {
        if (!ready()) return false;
        value = chunk_->values[next_];
        if (!std::isfinite(value)) refuse_field();
        if (line) *line = line_;
        ++next_;
        return true;
    }
    // The next field as a whole number in [0, limit]; `what` names it.
    bool count(std::int64_t& value, const char* what, std::int64_t limit, std::int64_t* line = nullptr) {
        if (!ready()) return false;
        const double v = chunk_->values[next_];
        const std::string_view text = chunk_->field_text(next_);
        if (!std::isfinite(v)) refuse_field();
        const std::string named = std::string(what) + " " + shown(text);
        if (v != std::floor(v)) throw ModelError{line_, named + " is not a whole number"};
        if (v < 0.0) throw ModelError{line_, named + " is negative"};
        if (v > static_cast<double>(limit)) throw ModelError{line_, named + " is more than " + std::to_string(limit)};
        const std::size_t digits = text.find_first_not_of("+");
        if (text.size() > digits + 1 && text[digits] == '0' && text.find_first_not_of("0123456789", digits) == std::string_view::npos)
            visitor_.leading_zero(line_, std::string(text));
        value = static_cast<std::int64_t>(v);
        if (line) *line = line_;
        ++next_;
        return true;
    }
    // Up to n numbers into out; fewer only at the end of the file.
    std::size_t numbers(double* out, std::size_t n) {
        std::size_t got = 0;
        while (got < n && ready()) {
            const TextPiece& piece = chunk_->pieces[piece_];
            const std::size_t take = std::min<std::size_t>(n - got, piece.first_field + piece.fields - next_);
            const double* from = chunk_->values.data() + next_;
            bool finite = true;
            for (std::size_t i = 0; i < take; ++i) {
                out[got + i] = from[i];
                finite &= std::isfinite(from[i]);
            }
            if (!finite) {
                while (std::isfinite(chunk_->values[next_])) ++next_;
                refuse_field();
            }
            next_ += static_cast<std::uint32_t>(take);
            got += take;
        }
        return got;
    }
    std::int64_t line() const { return line_; }

private:
    [[noreturn]] void refuse_field() {
        const std::string_view text = chunk_->field_text(next_);
        if (std::isnan(chunk_->values[next_])) throw ModelError{line_, shown(text) + " where a number must be"};
        throw ModelError{line_, shown(text) + " is not a finite number"};
    }

    // True when a field is next, the stream standing on it.
    bool ready() {
        for (;;) {
            if (chunk_ && piece_ < chunk_->pieces.size()) {
                const TextPiece& piece = chunk_->pieces[piece_];
                if (!in_comment_ && next_ < piece.first_field + piece.fields) return true;
                end_piece(piece);
                if (++piece_ < chunk_->pieces.size()) start_piece(chunk_->pieces[piece_]);
                continue;
            }
            if (chunk_) visitor_.progress(chunks_.bytes_given());
            chunk_ = chunks_.next();
            if (!chunk_) {
                end_text();
                return false;
            }
            if (chunk_->oversized_field)
                throw ModelError{line_, "a field longer than " + std::to_string(chunks_.chunk_size()) + " bytes"};
            piece_ = 0;
            if (!chunk_->pieces.empty()) start_piece(chunk_->pieces[0]);
        }
    }
    void start_piece(const TextPiece& piece) {
        next_ = piece.first_field;
        if (piece.starts_line) {
            in_comment_ = piece.comment;
            if (in_comment_) visitor_.comment_line(line_);
        }
    }
    void end_piece(const TextPiece& piece) {
        line_length_ += piece.end - piece.begin;
        if (piece.end > piece.begin) last_char_ = chunk_->bytes[piece.end - 1];
        if (piece.ends_line) end_line();
    }
    void end_line() {
        if (line_length_ >= long_line_characters) visitor_.long_line(line_, line_length_);
        if (line_length_ > 0 && (last_char_ == ' ' || last_char_ == '\t')) visitor_.blank_at_line_end(line_);
        ++line_;
        line_length_ = 0;
        last_char_ = '\n';
        in_comment_ = false;
    }
    void end_text() {
        if (line_length_ > 0) end_line();  // a last line without its end
    }

    TextChunks& chunks_;
    SrfVisitor& visitor_;
    const TextChunk* chunk_ = nullptr;
    std::size_t piece_ = 0;
    std::uint32_t next_ = 0;  // the next field of the chunk
    std::int64_t line_ = 1;
    std::uint64_t line_length_ = 0;
    char last_char_ = '\n';
    bool in_comment_ = false;
};

class SrfGrammar {
public:
    SrfGrammar(TextChunks& chunks, SrfVisitor& visitor) : in_(chunks, visitor), visitor_(visitor) {}

    void read() {
        Field field;
        if (!in_.peek(field)) throw ModelError{0, "no SRF here: the file holds no fields"};
        read_version(field);
        while (in_.peek(field)) {
            if (same_word(field.text, "PLANE"))
                read_plane();
            else if (same_word(field.text, "POINTS"))
                read_block();
            else
                throw ModelError{field.line, shown(field.text) + " where PLANE or POINTS must be"};
        }
    }

private:
    void read_version(const Field& first) {
        if (first.word()) {
            if (!same_word(first.text, "PLANE") && !same_word(first.text, "POINTS"))
                throw ModelError{first.line, shown(first.text) + " where the version, PLANE or POINTS must be"};
            visitor_.version("", 0);
            return;
        }
        Field version, after;
        in_.next(version);
        if (!std::isfinite(version.value)) throw ModelError{version.line, shown(version.text) + " is not a finite number"};
        if (in_.peek(after) && after.line == version.line)
            throw ModelError{version.line, "the version line holds more than the version: " + shown(after.text)};
        visitor_.version(version.text, version.line);
    }

    void read_plane() {
        Field keyword;
        in_.next(keyword);
        if (seen_points_) throw ModelError{keyword.line, "a PLANE block after the points"};
        if (seen_plane_) throw ModelError{keyword.line, "a second PLANE block"};
        seen_plane_ = true;
        std::int64_t segments = 0;
        if (!in_.count(segments, "PLANE", max_srf_count)) throw ModelError{keyword.line, "the file ends in its PLANE line"};
        for (std::int64_t s = 0; s < segments; ++s)
            for (int f = 0; f < plane_fields; ++f) {
                bool more = false;
                if (f == plane_nstk || f == plane_ndip) {
                    std::int64_t n = 0;
                    more = in_.count(n, f == plane_nstk ? "NSTK" : "NDIP", max_srf_count);
                } else {
                    double v = 0.0;
                    more = in_.number(v);
                }
                if (!more) throw ModelError{in_.line(), "the file ends inside the PLANE block"};
            }
        visitor_.plane(segments, keyword.line);
    }

    void read_block() {
        Field keyword;
        in_.next(keyword);
        seen_points_ = true;
        std::int64_t declared = 0;
        if (!in_.count(declared, "POINTS", max_srf_count)) throw ModelError{keyword.line, "the file ends in its POINTS line"};
        visitor_.points_block(declared, keyword.line);
        std::int64_t found = 0;
        Field field;
        // Records go on while numbers come, beyond the declared count too.
        while (in_.peek(field) && !field.word()) {
            if (!read_point(field.line)) break;
            ++found;
        }
        visitor_.block_end(declared, found, keyword.line);
        ++block_;
    }

    // One record into point_; false when the file ends inside it.
    bool read_point(std::int64_t first_line) {
        SrfPoint& p = point_;
        p.line = first_line;
        p.block = block_;
        double line1[point_fields_2];
        if (in_.numbers(line1, point_fields_1) < point_fields_1) return truncated();
        Field ninth;
        p.fields = in_.peek(ninth) && ninth.line == first_line && !ninth.word() ? point_fields_2 : point_fields_1;
        if (p.fields == point_fields_2 && in_.numbers(line1 + point_fields_1, 2) < 2) return truncated();
        p.lon = line1[0], p.lat = line1[1], p.dep = line1[2], p.stk = line1[3], p.dip = line1[4];
        p.area_cm2 = line1[5], p.tinit_s = line1[6], p.dt_s = line1[7];
        p.vs_cm_s = p.fields == point_fields_2 ? line1[8] : 0.0;
        p.den_g_cm3 = p.fields == point_fields_2 ? line1[9] : 0.0;
        if (p.area_cm2 < 0.0) throw ModelError{first_line, "AREA is negative"};

        std::int64_t nt[3] = {0, 0, 0};
        std::int64_t nt_line = 0;
        static constexpr const char* nt_names[3] = {"NT1", "NT2", "NT3"};
        if (!in_.number(p.rake)) return truncated();
        for (int c = 0; c < 3; ++c) {
            if (!in_.number(p.slip_cm[static_cast<std::size_t>(c)])) return truncated();
            if (!in_.count(nt[c], nt_names[c], max_srf_samples, &nt_line)) return truncated();
        }
        if (nt[0] + nt[1] + nt[2] > 0 && !(p.dt_s > 0.0))
            throw ModelError{nt_line, "samples with DT = " + std::to_string(p.dt_s) + ": they have no times"};
        for (std::size_t c = 0; c < 3; ++c) {
            std::vector<double>& samples = p.samples[c];
            samples.resize(static_cast<std::size_t>(nt[c]));
            if (in_.numbers(samples.data(), samples.size()) < samples.size()) return truncated();
        }
        visitor_.point(p);
        return true;
    }

    bool truncated() {
        visitor_.truncated(point_.line);
        return false;
    }

    FieldStream in_;
    SrfVisitor& visitor_;
    SrfPoint point_;
    std::size_t block_ = 0;
    bool seen_plane_ = false, seen_points_ = false;
};

}  // namespace

void read_srf(TextChunks& chunks, SrfVisitor& visitor) { SrfGrammar(chunks, visitor).read(); }

}  // namespace exp_slipv
