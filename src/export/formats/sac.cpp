// SAC binary, header version 6: 70 floats, 40 integers and 192 bytes of
// text (632 bytes), then npts 32-bit floats, all little-endian.  Every field
// that is not set below holds SAC's "undefined" value.
//
//   bytes   0 .. 279   floats    DELTA DEPMIN DEPMAX . . B E . . . USER0 ...
//   bytes 280 .. 439   integers  NZYEAR .. NZMSEC NVHDR . . NPTS ... LEVEN ...
//   bytes 440 .. 631   text      KSTNM KEVNM(16) ... KUSER0 ... KCMPNM ...
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "export/export_format.hpp"
#include "export/stf_text.hpp"
#include "textio/byte_output.hpp"

namespace exp_slipv {

namespace {

constexpr int float_words = 70;
constexpr int integer_words = 40;
constexpr std::size_t header_bytes = 632;
constexpr float undefined_float = -12345.0f;
constexpr std::int32_t undefined_integer = -12345;
constexpr const char* undefined_text = "-12345  ";

// Float words.
enum : int { delta = 0, depmin = 1, depmax = 2, b = 5, e = 6, user0 = 40, depmen = 56 };
// Integer words, counted from the first integer.
enum : int {
    nzyear = 0, nzjday, nzhour, nzmin, nzsec, nzmsec, nvhdr,
    npts = 79 - 70, iftype = 85 - 70, idep = 86 - 70, iztype = 87 - 70,
    leven = 105 - 70, lpspol, lovrok, lcalda,
};
// Text fields by byte offset.
constexpr std::size_t kstnm = 440, kevnm = 448, kuser0 = 576, kcmpnm = 600;
constexpr std::size_t kevnm_width = 16;
constexpr std::size_t user_fields = 3;  // USER0..USER2 have names in KUSER0..KUSER2
constexpr std::size_t text_start = 440;

// Enumerated values.
constexpr std::int32_t header_version = 6;
constexpr std::int32_t itime = 1;   // an evenly sampled time series
constexpr std::int32_t iunkn = 5;   // IDISP and IVEL would mean nm and nm/s
constexpr std::int32_t ib = 9;      // the reference time is the begin time
constexpr std::int32_t reference_year = 1970;

void put_word(std::string& bytes, std::size_t offset, std::uint32_t word) {
    for (int i = 0; i < 4; ++i) bytes[offset + static_cast<std::size_t>(i)] = static_cast<char>((word >> (8 * i)) & 0xffu);
}

void put_float(std::string& bytes, int word, float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    put_word(bytes, static_cast<std::size_t>(word) * 4, bits);
}

void put_integer(std::string& bytes, int word, std::int32_t value) {
    put_word(bytes, static_cast<std::size_t>(float_words + word) * 4, static_cast<std::uint32_t>(value));
}

// Text padded with blanks to the field's width.
void put_text(std::string& bytes, std::size_t offset, std::string_view text, std::size_t width = 8) {
    for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = i < text.size() ? text[i] : ' ';
}

// A sample as SAC holds it: a single-precision float, zero below the
// smallest normal one, as in the text exports.
float sample(const StfSeries& series, std::int64_t k) {
    const double value = series.value(k);
    return std::fabs(value) < smallest_single_normal ? 0.0f : static_cast<float>(value);
}

class SacFormat final : public ExportFormat {
public:
    std::string_view name() const override { return "sac"; }
    std::string_view file_name() const override { return "Exp_STF.sac"; }
    std::string_view solver() const override { return "SAC"; }
    int rank() const override { return 5; }

    void write(int unit, const StfSeries& series) const override {
        // The data as single-precision floats, and their extremes and mean.
        float lowest = 0.0f, highest = 0.0f;
        double sum = 0.0;
        for (std::int64_t k = 0; k < series.samples; ++k) {
            const float value = sample(series, k);
            if (k == 0 || value < lowest) lowest = value;
            if (k == 0 || value > highest) highest = value;
            sum += value;
        }
        std::string header(header_bytes, '\0');
        for (int w = 0; w < float_words; ++w) put_float(header, w, undefined_float);
        for (int w = 0; w < integer_words; ++w) put_integer(header, w, undefined_integer);
        for (std::size_t offset = text_start; offset < header_bytes; offset += 8) put_text(header, offset, undefined_text);

        const float step = static_cast<float>(series.dt);
        put_float(header, delta, step);
        put_float(header, b, 0.0f);
        put_float(header, e, static_cast<float>(static_cast<double>(series.samples - 1) * static_cast<double>(step)));
        put_float(header, depmin, lowest);
        put_float(header, depmax, highest);
        put_float(header, depmen, static_cast<float>(sum / series.samples));
        // The shape's parameters in USER0..USER2, their names in KUSER0..KUSER2.
        const std::vector<SourceParameter> parameters = series.source.parameters();
        for (std::size_t i = 0; i < parameters.size() && i < user_fields; ++i) {
            put_float(header, user0 + static_cast<int>(i), static_cast<float>(parameters[i].value));
            put_text(header, kuser0 + 8 * i, parameters[i].name);
        }
        const std::int32_t reference_time[] = {reference_year, 1, 0, 0, 0, 0};
        for (int w = nzyear; w <= nzmsec; ++w) put_integer(header, w, reference_time[w]);
        put_integer(header, nvhdr, header_version);
        put_integer(header, npts, series.samples);
        put_integer(header, iftype, itime);
        put_integer(header, idep, iunkn);
        put_integer(header, iztype, ib);
        put_integer(header, leven, 1);
        put_integer(header, lpspol, 0);
        put_integer(header, lovrok, 1);
        put_integer(header, lcalda, 0);
        const bool cumulative = series.quantity == Quantity::cumulative;
        put_text(header, kstnm, cumulative ? "STF" : "STFRATE");
        put_text(header, kcmpnm, cumulative ? "SLIP" : "SLIPRATE");
        // "exp-slipv brune", or the shape's name alone where both do not fit.
        const std::string event = "exp-slipv " + series.source.name();
        put_text(header, kevnm, event.size() <= kevnm_width ? event : series.source.name(), kevnm_width);
        textio::write_bytes(unit, header);

        // The data, in pieces.
        constexpr std::int64_t piece = 16384;
        std::string data;
        for (std::int64_t start = 0; start < series.samples; start += piece) {
            const std::int64_t end = std::min<std::int64_t>(start + piece, series.samples);
            data.assign(static_cast<std::size_t>(end - start) * 4, '\0');
            for (std::int64_t k = start; k < end; ++k) {
                const float value = sample(series, k);
                std::uint32_t bits = 0;
                std::memcpy(&bits, &value, sizeof bits);
                put_word(data, static_cast<std::size_t>(k - start) * 4, bits);
            }
            textio::write_bytes(unit, data);
        }
    }
};

const SacFormat format;
const bool registered = register_export_format(format);

}  // namespace

}  // namespace exp_slipv
