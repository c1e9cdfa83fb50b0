#include "textio/record_format.hpp"

namespace textio {

namespace {

constexpr char control_quote = '\x02';
// Widths, digit and repeat counts have at most this many digits.
constexpr int max_number_digits = 7;

bool is_quote(char c) { return c == control_quote || c == '\'' || c == '"'; }

class Parser {
public:
    Parser(std::string_view text, RecordFormat& format) : text_(text), format_(format) {}

    FormatError parse() {
        format_.items.clear();
        format_.reversion = 0;
        if (!take('(') || !list(1) || !take(')')) return fail();
        skip_blanks();
        if (at_ < text_.size()) return fail();
        return error_;
    }

private:
    FormatError fail() { return error_ == FormatError::none ? FormatError::syntax : error_; }

    void skip_blanks() {
        while (at_ < text_.size() && text_[at_] == ' ') ++at_;
    }
    char peek() {
        skip_blanks();
        return at_ < text_.size() ? text_[at_] : '\0';
    }
    bool take(char c) {
        if (peek() != c) return false;
        ++at_;
        return true;
    }
    // A count, width or digit count: blanks between its digits are ignored.
    bool number(int& value) {
        int digits = 0;
        value = 0;
        while (peek() >= '0' && peek() <= '9') {
            if (++digits > max_number_digits) return false;
            value = value * 10 + (text_[at_++] - '0');
        }
        return digits > 0;
    }

    // Items separated by commas; a comma may be left out next to a literal text.
    bool list(int depth) {
        if (peek() == ')') return true;
        bool previous_was_text = false;
        for (;;) {
            const std::size_t before = format_.items.size();
            if (!item(depth)) return false;
            previous_was_text = format_.items.size() == before + 1 &&
                                format_.items.back().kind == FormatItem::Kind::text;
            const char next = peek();
            if (next == ')') return true;
            if (next == ',') {
                ++at_;
                continue;
            }
            if (!previous_was_text && !is_quote(next)) return false;
        }
    }

    bool item(int depth) {
        const char first = peek();
        if (is_quote(first)) return literal();
        int count = 1;
        const bool counted = first >= '0' && first <= '9';
        if (counted && (!number(count) || count == 0)) return false;
        const char c = peek();
        if (c == '(') return group(depth, count);
        if (c != 'F' && c != 'f' && c != 'E' && c != 'e') return false;
        ++at_;
        FormatItem field;
        field.kind = (c == 'F' || c == 'f') ? FormatItem::Kind::fixed : FormatItem::Kind::exponent;
        if (!number(field.width)) return false;
        if (take('.') && !number(field.digits)) return false;
        // Ew.dEe: an exponent of e digits, always with its letter.
        if (field.kind == FormatItem::Kind::exponent && (peek() == 'E' || peek() == 'e')) {
            ++at_;
            if (!number(field.exponent_digits) || field.exponent_digits == 0) return false;
        }
        if (!counted) {
            format_.items.push_back(std::move(field));
            return true;
        }
        // A count before a field repeats it, as a group of one would.
        open_group(count);
        format_.items.push_back(std::move(field));
        close_group();
        return true;
    }

    bool literal() {
        const char quote = text_[at_++];
        FormatItem item;  // a text
        for (;;) {
            if (at_ >= text_.size()) {
                error_ = FormatError::unterminated_text;
                return false;
            }
            const char c = text_[at_++];
            if (c == quote) {
                // Two quote characters in a row stand for one.
                if (at_ < text_.size() && text_[at_] == quote) {
                    item.text += quote;
                    ++at_;
                    continue;
                }
                break;
            }
            item.text += c;
        }
        format_.items.push_back(std::move(item));
        return true;
    }

    bool group(int depth, int count) {
        if (depth >= max_format_depth) return false;
        ++at_;  // "("
        // The walk resumes at the last group directly inside the outer parentheses.
        if (depth == 1) format_.reversion = static_cast<int>(format_.items.size());
        open_group(count);
        if (!list(depth + 1) || !take(')')) return false;
        close_group();
        return true;
    }

    void open_group(int count) {
        FormatItem open;
        open.kind = FormatItem::Kind::group_open;
        open.count = count;
        format_.items.push_back(std::move(open));
    }

    void close_group() {
        FormatItem close;
        close.kind = FormatItem::Kind::group_close;
        format_.items.push_back(std::move(close));
    }

    std::string_view text_;
    RecordFormat& format_;
    std::size_t at_ = 0;
    FormatError error_ = FormatError::none;
};

}  // namespace

FormatError parse_format(std::string_view text, RecordFormat& format) { return Parser(text, format).parse(); }

}  // namespace textio
