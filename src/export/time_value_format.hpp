// A format of "time value" lines and nothing else, as several solvers'
// readers take a tabulated source time function.
#pragma once

#include "export/export_format.hpp"
#include "export/stf_text.hpp"

namespace exp_slipv {

class TimeValueFormat final : public ExportFormat {
public:
    constexpr TimeValueFormat(std::string_view name, std::string_view file_name, std::string_view solver, int rank)
        : name_(name), file_name_(file_name), solver_(solver), rank_(rank) {}

    std::string_view name() const override { return name_; }
    std::string_view file_name() const override { return file_name_; }
    std::string_view solver() const override { return solver_; }
    int rank() const override { return rank_; }

    void write(int unit, const StfSeries& series) const override {
        ExportText text(unit);
        write_time_value_lines(text, series);
    }

private:
    std::string_view name_, file_name_, solver_;
    int rank_;
};

}  // namespace exp_slipv
