// vectors_fuzz: a vector file read by getev; each vector read is then
// turned into offsets by getDiff, as vector-tool does.

#include <cstdlib>

#include "harness.hpp"
#include "vector.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::write_file("field.vec", fuzz::as_text(data, size));
    champ_vecteurs field{};
    fuzz::run([&] {
        getev(&field, path.c_str());
        const long long voxels = static_cast<long long>(field.dimx) * field.dimy * field.dimz;
        for (long long k = 0; k < voxels && k < 256; ++k) {
            int dx = 0, dy = 0, dz = 0;
            getDiff(field.data + 3 * k, 2, &dx, &dy, &dz);
        }
    });
    std::free(field.data);
    return 0;
}
