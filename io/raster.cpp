#include "raster.hpp"

#include <fcntl.h>

#include "file_io.hpp"

namespace io {

int raster_file_depth(const std::string& path) {
    Fd fd(::open(path.c_str(), O_RDONLY));
    RasterHeaderBytes raw;
    if (!fd.ok() || read_full(fd.get(), raw.data(), raw.size()) != raw.size()) return 0;
    return decode_raster_header(raw).depth;
}

}  // namespace io
