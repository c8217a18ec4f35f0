#pragma once
// Guards that scale or rotate the drawing for as long as they live and put
// scale 1 and rotation 0 back when they leave scope. Collisions map through
// the same matrix, so a hit test must not run while a guard is alive.
#include "services/rendering/graphics.h"

// Scales by (sx, sy); puts back scale 1, leaving the rotation as it is.
class [[nodiscard]] ScopedScale {
  public:
    ScopedScale(float sx, float sy) { svc::set_scale(sx, sy); }
    ~ScopedScale() { svc::set_scale(1.0f, 1.0f); }
    ScopedScale(const ScopedScale&) = delete;
    ScopedScale& operator=(const ScopedScale&) = delete;
};

// Rotates by `degrees`; puts back rotation 0, leaving the scale as it is.
class [[nodiscard]] ScopedRotation {
  public:
    explicit ScopedRotation(float degrees) { svc::set_rotation(degrees); }
    ~ScopedRotation() { svc::set_rotation(0.0f); }
    ScopedRotation(const ScopedRotation&) = delete;
    ScopedRotation& operator=(const ScopedRotation&) = delete;
};

// Rotates by `degrees` and scales by (sx, sy); puts back rotation 0 and scale 1.
class [[nodiscard]] ScopedTransform {
  public:
    ScopedTransform(float degrees, float sx, float sy) { svc::set_transform(degrees, sx, sy); }
    ~ScopedTransform() { svc::set_transform(0.0f, 1.0f, 1.0f); }
    ScopedTransform(const ScopedTransform&) = delete;
    ScopedTransform& operator=(const ScopedTransform&) = delete;
};
