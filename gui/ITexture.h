#pragma once

// The accelerated renderer's texture of a bitmap: owned by the bitmap's
// texture slot once set, deleted with the bitmap; the renderer alone knows
// what it holds.

namespace gui {

class ITexture {
public:
    virtual ~ITexture() = default;
};

} // namespace gui
