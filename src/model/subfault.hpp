// A rupture model as the rupture mode uses it, whatever file it came from:
// subfaults, each a point source with its own pulse, in SI units.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "source/source.hpp"

namespace exp_slipv {

struct Subfault {
    double lon_deg = 0.0, lat_deg = 0.0;  // the subfault's centre
    double depth_km = 0.0;                // of the centre
    double strike_deg = 0.0, dip_deg = 0.0, rake_deg = 0.0;
    double area_m2 = 0.0;
    double slip_m = 0.0;
    double onset_s = 0.0;                 // when the rupture reaches it
    double vs_m_s = 0.0;                  // the medium at the subfault, as an SRF 2.0 point holds it
    double density_kg_m3 = 0.0;
    double rigidity_pa = 0.0;             // mu = density vs^2
    int segment = 1;
    std::int64_t line = 0;                // where the model gives it
    std::shared_ptr<const Source> source; // its slip-rate pulse, of unit area

    double moment_nm() const { return rigidity_pa * area_m2 * slip_m; }
};

struct RuptureModel {
    std::string file;                // as the user named it
    std::string format;              // "subfault table"
    std::vector<Subfault> subfaults; // grouped by segment, segments in order of first appearance
    std::vector<int> segments;       // the segment numbers, in that order
    // How each pulse came about, one transcript line each.
    std::vector<std::string> pulse_notes;
    // The moment the model's header states, N m; 0 where it states none.
    double stated_moment_nm = 0.0;
};

// Density assumed where a model gives only the rigidity, so that an SRF 2.0
// point can carry mu as VS^2 DEN: 2700 kg/m^3, crustal rock.
inline constexpr double assumed_density_kg_m3 = 2700.0;

}  // namespace exp_slipv
