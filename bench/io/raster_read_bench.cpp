// The 8-bit raster reader on 8192 x 8192 files, byte-encoded (raster type 2)
// beside the same pixels stored plain (type 1): uniform noise (one escape in
// 256 bytes, hardly any run) and smooth blobs (short runs everywhere). The
// files are written once into a temporary folder, so the timings are those
// of reading from the page cache: what decoding adds to a plain read.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "byte_encoding.hpp"
#include "generators.hpp"
#include "proto2D.h"
#include "quiet.hpp"

namespace {

constexpr int kSize = 8192;

void put_be32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>(v >> shift);
}

// The temporary folder of the files, removed with them at the end.
struct Folder {
    std::string path;
    Folder() {
        char name[] = "/tmp/raster_read_bench.XXXXXX";
        if (::mkdtemp(name) == nullptr) std::abort();
        path = name;
    }
    ~Folder() { std::filesystem::remove_all(path); }
};

// Writes "<folder>/img_<image>_<type>.ras" once and returns its stem.
std::string raster_file(int image, int type) {
    static const Folder folder;
    const std::string stem = folder.path + "/img_" + std::to_string(image) + "_" + std::to_string(type);
    if (std::FILE* f = std::fopen((stem + ".ras").c_str(), "rb")) {
        std::fclose(f);
        return stem;
    }
    gen::Lcg rng(image == 0 ? 12345 : 7);
    const gen::Bytes pixels = image == 0 ? gen::noise_bytes(rng, static_cast<std::size_t>(kSize) * kSize)
                                         : gen::blobs_image(rng, kSize, 160);
    std::string data;
    if (type == 2) testing_support::append_byte_encoded(data, pixels.data(), pixels.size());
    else data.assign(pixels.begin(), pixels.end());
    std::string file;
    for (const std::uint32_t word : {0x59a66a95u, std::uint32_t{kSize}, std::uint32_t{kSize}, 8u,
                                     static_cast<std::uint32_t>(data.size()), static_cast<std::uint32_t>(type), 0u, 0u})
        put_be32(file, word);
    file += data;
    std::FILE* f = std::fopen((stem + ".ras").c_str(), "wb");
    if (f == nullptr || std::fwrite(file.data(), 1, file.size(), f) != file.size() || std::fclose(f) != 0) std::abort();
    return stem;
}

void BM_ReadRaster(benchmark::State& state) {
    const std::string stem = raster_file(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    read_ima_t desc{};
    std::snprintf(desc.nom, sizeof desc.nom, "%s", stem.c_str());
    std::snprintf(desc.ext, sizeof desc.ext, "ras");
    for (auto _ : state) {
        imau1 image{};
        {
            Quiet quiet;
            read_imau1_init(&desc, &image);
        }
        benchmark::DoNotOptimize(image.pixels[0][0]);
        free_imau1(&image);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kSize) * kSize);
}

}  // namespace

BENCHMARK(BM_ReadRaster)->ArgNames({"image", "type"})->ArgsProduct({{0, 1}, {1, 2}})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
