// The swap glide's plan: origins, distance and the per-frame steps of the two tiles.
#pragma once

#include <QPoint>

#include <cstdlib>

namespace ui {

struct GlidePlan {
    QPoint firstOrigin;
    QPoint secondOrigin;
    QPoint distance;    // |Δleft|, |Δtop|
    QPoint step;        // distance / 10 on each axis, truncated
    QPoint firstDelta;  // the first pick's move per frame, signed
    QPoint secondDelta; // the second pick's, always the opposite way
};

inline constexpr int kGlideFrames = 10;

// The first moves left when its left is greater than the second's, else right; up when its top
// is greater, else down. An axis on which the two agree is not moved.
inline GlidePlan planGlide(QPoint first, QPoint second) {
    GlidePlan plan;
    plan.firstOrigin = first;
    plan.secondOrigin = second;
    plan.distance = {std::abs(first.x() - second.x()), std::abs(first.y() - second.y())};
    plan.step = {plan.distance.x() / kGlideFrames, plan.distance.y() / kGlideFrames};
    const int dx = first.x() == second.x() ? 0 : (first.x() > second.x() ? -1 : 1);
    const int dy = first.y() == second.y() ? 0 : (first.y() > second.y() ? -1 : 1);
    plan.firstDelta = {dx * plan.step.x(), dy * plan.step.y()};
    plan.secondDelta = -plan.firstDelta;
    return plan;
}

} // namespace ui
