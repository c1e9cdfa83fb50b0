// The formats a rupture model may come in.  Each reader lives in one file
// of readers/ and registers itself; the rupture mode asks the registry which
// one recognises the file, so adding a format touches no other file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/line_reader.hpp"
#include "model/pulse_maker.hpp"
#include "model/subfault.hpp"

namespace exp_slipv {

// What the command line supplies where a model is silent.
struct ModelDefaults {
    PulseDefaults pulse;
    double rigidity_pa = 3.0e10;
    double rupture_velocity_m_s = 0.0;  // --rupture-velocity; 0: not given
};

class ModelReader {
public:
    virtual ~ModelReader() = default;
    virtual std::string_view name() const = 0;  // "subfault table"
    // Readers are asked in the order of their ranks; the first that
    // recognises the file's first bytes reads it.
    virtual int rank() const = 0;
    virtual bool recognises(std::string_view head) const = 0;
    // The model, or a ModelError naming the line.
    virtual RuptureModel read(LineReader& lines, const ModelDefaults& defaults) const = 0;
};

bool register_model_reader(const ModelReader& reader);

// Reads the model at path with the reader that recognises it: a
// ModelReadFailure when it cannot be read, a ModelError when it cannot be
// used.  The subfaults come out grouped by segment.
RuptureModel read_model(const std::string& path, const ModelDefaults& defaults);

}  // namespace exp_slipv
