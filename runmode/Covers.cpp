// The placement of run mode's covers over the monitors the saver does not fill.
#include "runmode/Covers.h"

#include <algorithm>
#include <cstddef>

namespace {

double Area(const ScreenRect& a) {
    return (static_cast<double>(a.right) - a.left) * (static_cast<double>(a.bottom) - a.top);
}

double OverlapArea(const ScreenRect& a, const ScreenRect& b) {
    ScreenRect both = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                       std::min(a.bottom, b.bottom)};
    return both.right > both.left && both.bottom > both.top ? Area(both) : 0.0;
}

// The share of monitor that lies under the window, 0 for an empty monitor.
double FilledShare(const ScreenRect& monitor, const ScreenRect& window) {
    double area = Area(monitor);
    return area > 0.0 ? OverlapArea(monitor, window) / area : 0.0;
}

}  // namespace

bool operator==(const ScreenRect& a, const ScreenRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::vector<ScreenRect> CoverRects(const std::vector<ScreenRect>& monitors, const ScreenRect& saver) {
    std::vector<ScreenRect> covers;
    if (monitors.size() < 2) return covers;
    size_t filled = 0;
    double most = FilledShare(monitors[0], saver);
    for (size_t i = 1; i < monitors.size(); ++i) {
        double share = FilledShare(monitors[i], saver);
        if (share > most) {
            most = share;
            filled = i;
        }
    }
    for (size_t i = 0; i < monitors.size(); ++i) {
        if (i != filled) covers.push_back(monitors[i]);
    }
    return covers;
}
