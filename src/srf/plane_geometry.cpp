#include "srf/plane_geometry.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace exp_slipv {

namespace {

using std::numbers::pi;

constexpr double earth_radius_km = 6371.0;
constexpr double km_per_degree = pi * earth_radius_km / 180.0;
// Points closer than this part of a subfault's side share a column or row.
constexpr double same_line_fraction = 0.3;

double radians(double degrees) { return degrees * (pi / 180.0); }
double degrees(double radians) { return radians * (180.0 / pi); }

// The difference of two longitudes, within (-180, 180].
double longitude_difference(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

// How many groups the sorted values form, a new one after each gap wider
// than the tolerance.
int groups(std::vector<double> values, double tolerance) {
    std::sort(values.begin(), values.end());
    int count = values.empty() ? 0 : 1;
    for (std::size_t i = 1; i < values.size(); ++i)
        if (values[i] - values[i - 1] > tolerance) ++count;
    return count;
}

}  // namespace

// The plane's frame, east, north and down in km about the points' mean:
//
//        north                 along strike  s = (sin phi, cos phi, 0)
//          |   s               down dip      d = (cos delta cos phi,
//          |  /                                   -cos delta sin phi, sin delta)
//          | / phi
//          +-------- east      x = p.s, y = p.d for a point p
PlaneEntry describe_segment(std::span<const Subfault> points) {
    PlaneEntry plane;
    const double n = static_cast<double>(points.size());
    double lon0 = 0.0, lat0 = 0.0, depth0 = 0.0, sin_sum = 0.0, cos_sum = 0.0, dip_sum = 0.0, area_sum = 0.0;
    double min_area = points.front().area_m2;
    for (const Subfault& p : points) {
        lon0 += longitude_difference(p.lon_deg, points.front().lon_deg);
        lat0 += p.lat_deg;
        depth0 += p.depth_km;
        sin_sum += std::sin(radians(p.strike_deg));
        cos_sum += std::cos(radians(p.strike_deg));
        dip_sum += p.dip_deg;
        area_sum += p.area_m2;
        min_area = std::min(min_area, p.area_m2);
    }
    lon0 = points.front().lon_deg + lon0 / n;
    lat0 /= n;
    depth0 /= n;
    double strike = degrees(std::atan2(sin_sum, cos_sum));
    if (strike < 0.0) strike += 360.0;
    const double dip = dip_sum / n;
    plane.strike_deg = strike;
    plane.dip_deg = dip;

    const double phi = radians(strike), delta = radians(dip);
    const double s[3] = {std::sin(phi), std::cos(phi), 0.0};
    const double d[3] = {std::cos(delta) * std::cos(phi), -std::cos(delta) * std::sin(phi), std::sin(delta)};
    const double east_per_degree = km_per_degree * std::cos(radians(lat0));
    std::vector<double> xs, ys;
    xs.reserve(points.size());
    ys.reserve(points.size());
    for (const Subfault& p : points) {
        const double e = longitude_difference(p.lon_deg, lon0) * east_per_degree;
        const double north = (p.lat_deg - lat0) * km_per_degree;
        const double down = p.depth_km - depth0;
        xs.push_back(e * s[0] + north * s[1] + down * s[2]);
        ys.push_back(e * d[0] + north * d[1] + down * d[2]);
    }
    const auto [xmin, xmax] = std::minmax_element(xs.begin(), xs.end());
    const auto [ymin, ymax] = std::minmax_element(ys.begin(), ys.end());
    const double side = std::sqrt(area_sum / n) / 1000.0;  // km
    const double tolerance = same_line_fraction * std::sqrt(min_area) / 1000.0;
    const int columns = groups(xs, tolerance), rows = groups(ys, tolerance);
    double dx = side, dy = side;
    plane.regular = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows) == points.size();
    if (plane.regular) {
        plane.nstk = columns;
        plane.ndip = rows;
        if (columns > 1) dx = (*xmax - *xmin) / (columns - 1);
        if (rows > 1) dy = (*ymax - *ymin) / (rows - 1);
        const double mean_area_km2 = area_sum / n / 1e6;
        if (columns == 1 && rows > 1) dx = mean_area_km2 / dy;
        if (rows == 1 && columns > 1) dy = mean_area_km2 / dx;
        plane.length_km = columns * dx;
        plane.width_km = rows * dy;
    } else {
        plane.nstk = static_cast<int>(points.size());
        plane.ndip = 1;
        plane.length_km = (*xmax - *xmin) + side;
        plane.width_km = (*ymax - *ymin) + side;
    }
    const double x_centre = (*xmin + *xmax) / 2.0;
    const double y_top = *ymin - dy / 2.0;
    const double e = x_centre * s[0] + y_top * d[0];
    const double north = x_centre * s[1] + y_top * d[1];
    plane.elon = lon0 + e / east_per_degree;
    if (plane.elon > 180.0) plane.elon -= 360.0;
    if (plane.elon < -180.0) plane.elon += 360.0;
    plane.elat = lat0 + north / km_per_degree;
    plane.top_depth_km = std::max(0.0, depth0 + y_top * d[2]);

    // The hypocentre: where the segment's rupture starts.
    std::size_t first = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        if (points[i].onset_s < points[first].onset_s) first = i;
    plane.hypo_along_km = xs[first] - x_centre;
    plane.hypo_down_km = ys[first] - y_top;
    return plane;
}

}  // namespace exp_slipv
