// Record formats: the parsed form of a format text such as
// "(F8.4,3(',',F15.7))", and the walk that pairs its fields with values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace textio {

struct FormatItem {
    enum class Kind { fixed, exponent, text, group_open, group_close };
    Kind kind = Kind::text;
    int width = 0;     // fields
    int digits = 0;    // fields: decimals (F) or significant digits (E)
    int exponent_digits = 0;  // Ew.dEe's e; 0: the plain Ew.d exponent
    int count = 1;     // group_open: how often the group is walked
    std::string text;  // literal text, quotes resolved
};

struct RecordFormat {
    std::vector<FormatItem> items;  // without the outer parentheses
    int reversion = 0;              // where the walk resumes when values remain
};

// Groups may nest at most this deep.
inline constexpr int max_format_depth = 64;

// The reason a format text cannot be parsed.
enum class FormatError { none, syntax, unterminated_text };

// Parses a format text; blanks outside literal texts are ignored.
FormatError parse_format(std::string_view text, RecordFormat& format);

// Walks a parsed format, writing literal texts as it meets them.
class FormatWalk {
public:
    enum class Stop { field, end };

    explicit FormatWalk(const RecordFormat& format) : format_(format) {}

    // Goes forward to the next field, handing each literal text met on the
    // way to put_text.  Returns field with the field in *field, or end.
    template <typename PutText>
    Stop next(const FormatItem** field, PutText&& put_text);

    // Resumes at the reversion point, with its full count.
    void revert() {
        position_ = format_.reversion;
        depth_ = 0;
    }

private:
    struct Loop {
        int open;
        int remaining;
    };

    const RecordFormat& format_;
    int position_ = 0;
    Loop loops_[max_format_depth];  // written before read
    int depth_ = 0;
};

template <typename PutText>
FormatWalk::Stop FormatWalk::next(const FormatItem** field, PutText&& put_text) {
    const auto& items = format_.items;
    while (position_ < static_cast<int>(items.size())) {
        const FormatItem& item = items[static_cast<std::size_t>(position_)];
        switch (item.kind) {
            case FormatItem::Kind::fixed:
            case FormatItem::Kind::exponent:
                *field = &item;
                ++position_;
                return Stop::field;
            case FormatItem::Kind::text:
                put_text(item.text);
                ++position_;
                break;
            case FormatItem::Kind::group_open:
                loops_[depth_++] = {position_, item.count};
                ++position_;
                break;
            case FormatItem::Kind::group_close:
                if (--loops_[depth_ - 1].remaining > 0) {
                    position_ = loops_[depth_ - 1].open + 1;
                } else {
                    --depth_;
                    ++position_;
                }
                break;
        }
    }
    return Stop::end;
}

}  // namespace textio
