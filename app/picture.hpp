// picture.hpp: an 8-bit picture (grey or red-green-blue) of any image or
// volume the suite reads, for showing it with viewers outside the suite.
#pragma once

#include <vector>

#include "cycle.hpp"
#include "volume_stage.h"

namespace cycle {

// nc x nr pixels, rows from the top, channels bytes a pixel (1: grey; 3:
// red, green, blue).
struct Picture {
    int nc = 0;
    int nr = 0;
    int channels = 1;
    std::vector<unsigned char> pixels;
};

// 8-bit images: their grey levels, or red-green-blue through their colour
// tables when they have them; 24-bit images: their colours; 16-bit, 32-bit,
// float and complex images (the modulus): scaled linearly from the smallest
// to the largest finite value onto 0 ... 255, rounded to the nearest. An
// image with no two different finite values is all 0, NaN is 0, -inf 0 and
// +inf 255.
Picture picture_of(const AnyImage& image);

// The middle plane of a volume (plane dimz / 2, planes counted from 0), read
// by the volume stages: 8-bit samples as they are, 16-bit and 64-bit
// samples scaled as picture_of scales; rows run along the samples of a trace
// and columns along the traces, as section-tool cuts an XY section. Other
// sample sizes are refused (status 1), naming `who`.
Picture middle_section(read_vol_t* reader, const char* who);

}  // namespace cycle
