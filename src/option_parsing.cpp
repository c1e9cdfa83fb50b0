#include "option_parsing.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace exp_slipv {

std::vector<option> with_shape_options(std::span<const option> fixed, int first_shape_id) {
    std::vector<option> list(fixed.begin(), fixed.end());
    const std::vector<std::string>& names = shape_option_names();
    for (std::size_t i = 0; i < names.size(); ++i)
        list.push_back({names[i].c_str(), required_argument, nullptr, first_shape_id + static_cast<int>(i)});
    list.push_back({nullptr, 0, nullptr, 0});
    return list;
}

const option* find_option(const option* table, int id) {
    for (const option* o = table; o->name != nullptr; ++o)
        if (o->val == id) return o;
    return nullptr;
}

// Every option some shape takes, each once, in the order of the shapes.
const std::vector<std::string>& shape_option_names() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Shape* shape : shapes())
            for (const ShapeOption& o : shape->options())
                if (std::find(list.begin(), list.end(), o.name) == list.end()) list.push_back(o.name);
        return list;
    }();
    return names;
}


std::string refused(const char* name, std::string_view value, const std::string& reason) {
    return "invalid value '" + std::string(value) + "' for --" + name + ": " + reason;
}

std::string unusable_option(int code, char** argv, const option* table) {
    // optind has moved past the word that held the option.
    const std::string_view word = argv[optind - 1];
    if (optopt != 0) {
        const option* o = find_option(table, optopt);
        if (code == ':') {
            if (o != nullptr) return "option '--" + std::string(o->name) + "' requires a value";
            return "option '-" + std::string(1, static_cast<char>(optopt)) + "' requires a value";
        }
        if (o != nullptr) return "option '--" + std::string(o->name) + "' takes no value";
        return "unrecognized option '-" + std::string(1, static_cast<char>(optopt)) + "'";
    }
    return "unrecognized option '" + std::string(word.substr(0, word.find('='))) + "'";
}

// The names of the shapes, "brune, smoothed-brune, ...".
std::string shape_names() {
    std::string names;
    for (const Shape* shape : shapes()) {
        if (!names.empty()) names += ", ";
        names += shape->name();
    }
    return names;
}

namespace {

// "--tau, --corner-frequency or --rise-time".
std::string option_list(const Shape& shape) {
    const std::vector<ShapeOption> options = shape.options();
    std::string list;
    for (std::size_t i = 0; i < options.size(); ++i) {
        if (i > 0) list += i + 1 == options.size() ? " or " : ", ";
        list += "--" + options[i].name;
    }
    return list;
}

}  // namespace

MadeSource make_source(const Shape& shape, const ShapeValues& values) {
    const std::vector<ShapeOption> options = shape.options();
    for (const auto& entry : values.given()) {
        const std::string& name = entry.first;
        const std::string& value = entry.second;
        const auto taken = std::find_if(options.begin(), options.end(), [&](const ShapeOption& o) { return o.name == name; });
        if (taken == options.end())
            return Refusal{"--" + name + "=" + value + " cannot be used with --shape=" + std::string(shape.name()) +
                           ", which takes " + option_list(shape)};
    }
    return shape.make(values);
}

Checked<int> thread_option(std::string_view text) {
    const Checked<double> n = positive_decimal(text);
    const double count = std::holds_alternative<double>(n) ? std::get<double>(n) : 0.0;
    if (!(count >= 1.0 && count <= max_thread_option && count == static_cast<int>(count)))
        return Refusal{"not a whole number from 1 to 64"};
    return static_cast<int>(count);
}

Checked<double> rigidity_option(std::string_view text) {
    const Checked<double> mu = positive_decimal(text);
    if (std::holds_alternative<Refusal>(mu)) return mu;
    const double pa = std::get<double>(mu);
    if (!(pa >= min_rigidity_pa && pa <= max_rigidity_pa)) return Refusal{"outside 1e5 to 1e13 Pa"};
    return pa;
}

std::string directory_problem(const std::string& dir) {
    struct stat status {};
    if (::stat(dir.c_str(), &status) != 0) return std::strerror(errno);
    if (!S_ISDIR(status.st_mode)) return "not a directory";
    return {};
}

// "      --NAME=VALUE" and the text from the help's second column.
std::string help_entry(const std::string& left, const std::string& text) {
    constexpr std::size_t text_column = 32;
    std::string line = left;
    if (line.size() + 1 > text_column) {
        line += "\n";
        line.append(text_column, ' ');
    } else {
        line.resize(text_column, ' ');
    }
    return line + text + "\n";
}

std::string shape_help() {
    std::string text;
    for (const Shape* shape : shapes()) {
        text += help_entry("  " + std::string(shape->name()), std::string(shape->formula()));
        for (const ShapeOption& o : shape->options()) text += help_entry("      --" + o.name + "=" + o.value_name, o.help);
    }
    return text;
}

}  // namespace exp_slipv
