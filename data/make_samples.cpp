// make-samples: writes the sample images that the demonstration and the
// benchmarks run on, so that the project never ships foreign files.
//
//   make-samples <folder>            the demonstration samples
//   make-samples --bench <folder>    8192 x 8192 inputs for the benchmarks
//
// Files are written byte by byte in the suite's formats (big-endian raw
// files with their .dim, host-order upper-case variants, raster files of
// both pixel orders), independently of the library's writers. The pixels
// come from the seeded generators of tests/support/generators.hpp.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "byte_encoding.hpp"
#include "generators.hpp"

namespace {

using gen::Bytes;

[[noreturn]] void die(const std::string& what) {
    std::fprintf(stderr, "make-samples: %s\n", what.c_str());
    std::exit(1);
}

void save(const std::string& path, const Bytes& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) die("cannot write " + path);
}

void save_text(const std::string& path, const std::string& text) {
    save(path, Bytes(text.begin(), text.end()));
}

void put_be32(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(v >> shift));
}

void announce(const std::string& path, const std::string& what) { std::printf("  %-28s %s\n", path.c_str(), what.c_str()); }

// A raw image "name.ext" with its "name.dim".
void save_raw(const std::string& stem, const std::string& ext, int nc, int nr, const Bytes& pixels) {
    save_text(stem + ".dim", std::to_string(nc) + " " + std::to_string(nr));
    save(stem + "." + ext, pixels);
}

// A 16-bit raw image "name.imw" (big-endian) with its "name.dim".
void save_imw(const std::string& stem, int nc, int nr, const std::vector<std::uint16_t>& pixels) {
    Bytes bytes;
    bytes.reserve(2 * pixels.size());
    for (const std::uint16_t v : pixels) {
        bytes.push_back(static_cast<unsigned char>(v >> 8));
        bytes.push_back(static_cast<unsigned char>(v & 0xff));
    }
    save_raw(stem, "imw", nc, nr, bytes);
}

// A float raw image "name.imf" (big-endian) with its "name.dim".
void save_imf(const std::string& stem, int nc, int nr, const std::vector<float>& pixels) {
    Bytes bytes;
    bytes.reserve(4 * pixels.size());
    for (const float f : pixels) {
        std::uint32_t bits;
        static_assert(sizeof bits == sizeof f);
        std::memcpy(&bits, &f, sizeof f);
        put_be32(bytes, bits);
    }
    save_raw(stem, "imf", nc, nr, bytes);
}

// A colour-map text file: 256 red, 256 green, then 256 blue values, 16 to a
// line, of a black-red-yellow-white heat scale.
std::string heat_colormap() {
    std::string text;
    for (int plane = 0; plane < 3; ++plane)
        for (int i = 0; i < 256; ++i) {
            const int v = std::min(255, std::max(0, 3 * i - 255 * plane));
            text += std::to_string(v) + ((i + 1) % 16 == 0 ? "\n" : " ");
        }
    return text;
}

// A raster file of depth 8 (with an optional 768-byte map) or 24; of
// raster type 2, its padded rows byte-encoded as one stream.
void save_raster(const std::string& path, int nc, int nr, int depth, int type, const Bytes& map, const Bytes& rows) {
    const std::size_t row = static_cast<std::size_t>(nc) * static_cast<std::size_t>(depth / 8);
    Bytes data;
    data.reserve((row + 1) * static_cast<std::size_t>(nr));
    for (int y = 0; y < nr; ++y) {
        const auto first = rows.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * row);
        data.insert(data.end(), first, first + static_cast<std::ptrdiff_t>(row));
        if (row & 1u) data.push_back(0);
    }
    if (type == 2) {
        Bytes encoded;
        encoded.reserve(data.size() + data.size() / 64);
        testing_support::append_byte_encoded(encoded, data.data(), data.size());
        data.swap(encoded);
    }
    Bytes out;
    put_be32(out, 0x59a66a95);
    put_be32(out, static_cast<std::uint32_t>(nc));
    put_be32(out, static_cast<std::uint32_t>(nr));
    put_be32(out, static_cast<std::uint32_t>(depth));
    put_be32(out, static_cast<std::uint32_t>(data.size()));
    put_be32(out, static_cast<std::uint32_t>(type));
    put_be32(out, map.empty() ? 0 : 1);
    put_be32(out, static_cast<std::uint32_t>(map.size()));
    out.insert(out.end(), map.begin(), map.end());
    out.insert(out.end(), data.begin(), data.end());
    save(path, out);
}

// A volume file: the 80-byte header ('a' but for the big-endian sizes, the
// bits per sample and the header length), then the samples (16-bit ones
// big-endian, as given).
void save_volume(const std::string& path, int dimx, int dimy, int dimz, const Bytes& samples, int bits = 8) {
    Bytes out(80, 'a');
    auto put = [&out](std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) out[at + static_cast<std::size_t>(k)] = static_cast<unsigned char>(v >> (24 - 8 * k));
    };
    put(4, static_cast<std::uint32_t>(dimx));
    put(8, static_cast<std::uint32_t>(dimy));
    put(12, static_cast<std::uint32_t>(dimz));
    put(36, static_cast<std::uint32_t>(bits));
    put(72, 80);
    out.insert(out.end(), samples.begin(), samples.end());
    save(path, out);
}

void demo_samples(const std::string& dir) {
    std::printf("make-samples: writing the demonstration samples into %s/\n", dir.c_str());

    const int nc = 256, nr = 192;
    const Bytes grey = gen::pattern_image(nc, nr);
    save_raw(dir + "/gradient", "ima", nc, nr, grey);
    announce(dir + "/gradient.ima", "8-bit raw image (256 x 192) with its .dim");

    // The same pixels with a false-colour table.
    save_raw(dir + "/palette", "ima", nc, nr, grey);
    std::string lut;
    for (int plane = 0; plane < 3; ++plane) {
        for (int i = 0; i < 256; ++i) {
            const int v = plane == 0 ? i : plane == 1 ? (i * 3) % 256 : 255 - i;
            lut += std::to_string(v) + ((i + 1) % 16 == 0 ? "\n" : " ");
        }
    }
    save_text(dir + "/palette.3lt", lut);
    announce(dir + "/palette.ima", "8-bit raw image with a colour table (.3lt)");

    // The same pixels as a byte-encoded raster (type 2) with a grey ramp as
    // its colour map, as the usual command-line converters write a grey image.
    Bytes ramp;
    for (int plane = 0; plane < 3; ++plane)
        for (int i = 0; i < 256; ++i) ramp.push_back(static_cast<unsigned char>(i));
    save_raster(dir + "/gradient_rle.ras", nc, nr, 8, 2, ramp, grey);
    announce(dir + "/gradient_rle.ras", "the same pixels as a byte-encoded raster (type 2) with a grey map");

    // An odd width, so that raster rows carry a padding byte.
    const int onc = 101, onr = 64;
    save_raster(dir + "/odd.ras", onc, onr, 8, 1, {}, gen::pattern_image(onc, onr));
    announce(dir + "/odd.ras", "8-bit raster of odd width (101 x 64)");

    // 16-bit, in host order (upper-case extension).
    Bytes depth;
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x) {
            const std::uint16_t v = static_cast<std::uint16_t>(gen::pattern(x, y, nc, nr) * 250 + x);
            depth.push_back(static_cast<unsigned char>(v & 0xff));
            depth.push_back(static_cast<unsigned char>(v >> 8));
        }
    save_raw(dir + "/depth", "IMW", nc, nr, depth);
    announce(dir + "/depth.IMW", "16-bit raw image in host byte order");

    std::vector<float> field;
    for (int y = 0; y < nr; ++y)
        for (int x = 0; x < nc; ++x) field.push_back(std::sin(x / 20.0f) * std::cos(y / 15.0f));
    save_imf(dir + "/field", nc, nr, field);
    announce(dir + "/field.imf", "float raw image");

    // A 24-bit raster stored red, green, blue (raster type 3).
    const int cnc = 129, cnr = 96;
    Bytes rgb;
    for (int y = 0; y < cnr; ++y)
        for (int x = 0; x < cnc; ++x) {
            rgb.push_back(static_cast<unsigned char>(2 * x));
            rgb.push_back(static_cast<unsigned char>(255 - 2 * y));
            rgb.push_back(gen::pattern(x, y, cnc, cnr));
        }
    save_raster(dir + "/colour.ras", cnc, cnr, 24, 3, {}, rgb);
    announce(dir + "/colour.ras", "24-bit raster, red-green-blue order (129 x 96)");

    save_volume(dir + "/phantom.vol", 96, 80, 48, gen::phantom_volume(96, 80, 48, 5, 60));
    announce(dir + "/phantom.vol", "8-bit volume file (96 x 80 x 48): a ball and a tube, 6% noisy voxels");
    save_volume(dir + "/objects.vol", 96, 80, 48, gen::binary(gen::phantom_volume(96, 80, 48, 5, 0), 150));
    announce(dir + "/objects.vol", "the phantom's ball and tube as objects (255) in a volume of 0");

    // The phantom's true classes (0 ground, 1 tube, 2 ball; no noise), and
    // its plane 24 transposed as an image (row x, column y): ground truths
    // for confusion-tool.
    Bytes truth = gen::phantom_volume(96, 80, 48, 5, 0);
    for (auto& t : truth) t = t == 210 ? 2 : t == 160 ? 1 : 0;
    save_volume(dir + "/phantom_truth.vol", 96, 80, 48, truth);
    announce(dir + "/phantom_truth.vol", "the phantom's classes: 0 ground, 1 tube, 2 ball");
    Bytes plane(96 * 80);
    for (int x = 0; x < 96; ++x)
        for (int y = 0; y < 80; ++y) plane[static_cast<std::size_t>(x) * 80 + y] = truth[(24 * 80 + y) * 96 + x];
    save_raw(dir + "/phantom_truth24", "ima", 80, 96, plane);
    announce(dir + "/phantom_truth24.ima", "plane 24 of those classes, transposed (80 x 96)");

    // The phantom in 16 bits, and a field of vectors turning about the
    // volume's vertical axis (x, y fastest, three floats per voxel).
    Bytes phantom16;
    for (unsigned char v : gen::phantom_volume(96, 80, 48, 5, 60)) {
        phantom16.push_back(static_cast<unsigned char>((v * 16) >> 8));
        phantom16.push_back(static_cast<unsigned char>(v * 16));
    }
    save_volume(dir + "/phantom16.vol", 96, 80, 48, phantom16, 16);
    announce(dir + "/phantom16.vol", "the phantom as a 16-bit volume file (grey levels x 16)");
    Bytes swirl;
    auto put_raw = [&swirl](const auto& v) {
        const auto* b = reinterpret_cast<const unsigned char*>(&v);
        swirl.insert(swirl.end(), b, b + sizeof v);
    };
    for (std::int32_t size : {96, 80, 48}) put_raw(size);
    for (int z = 0; z < 48; ++z)
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 96; ++x)
                for (float v : {-(y - 39.5f), x - 47.5f, 0.0f}) put_raw(v);
    save(dir + "/swirl.vec", swirl);
    announce(dir + "/swirl.vec", "vector file (96 x 80 x 48): circles about the volume's vertical axis");

    save_raw(dir + "/noisy", "ima", nc, nr, gen::noisy_image(nc, nr, 20, 30, 17));
    announce(dir + "/noisy.ima", "8-bit image with noise of +-20 and 3% impulses (256 x 192)");

    const auto stack = gen::speckle_stack(nc, nr, 4, 3, 23);
    for (std::size_t k = 0; k < stack.size(); ++k) save_imw(dir + "/speckle_" + std::to_string(k + 1), nc, nr, stack[k]);
    announce(dir + "/speckle_1..4.imw", "four 16-bit looks of one scene, speckle of 3 looks each");
    save_raw(dir + "/zero", "imf", nc, nr, Bytes(static_cast<std::size_t>(nc) * nr * 4, 0));
    announce(dir + "/zero.imf", "float image of zeros (a log-DCT coefficient dropped)");

    // Three attribute images of four clusters, their true clusters, and a
    // training mask that labels the clusters (1 ... 4) in one square of
    // 32 x 32 pixels out of three, 0 elsewhere.
    {
        gen::Lcg clusters_rng(31);
        const auto images = gen::cluster_attributes(clusters_rng, 256, 4);
        for (int a = 0; a < 3; ++a) save_raw(dir + "/attr_" + std::to_string(a + 1), "ima", 256, 256, images[a]);
        announce(dir + "/attr_1..3.ima", "three attribute images of four clusters (256 x 256)");
        save_raw(dir + "/clusters", "ima", 256, 256, images[3]);
        announce(dir + "/clusters.ima", "their true clusters, 0 ... 3");
        Bytes training(images[3].size());
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * 256 + x;
                training[i] = (x / 32 + y / 32) % 3 == 0 ? static_cast<unsigned char>(images[3][i] + 1) : 0;
            }
        save_raw(dir + "/training", "ima", 256, 256, training);
        announce(dir + "/training.ima", "the clusters labelled 1 ... 4 in one square out of three, 0 elsewhere");
    }

    save_text(dir + "/heat.txt", heat_colormap());
    announce(dir + "/heat.txt", "colour map as text: 768 values, black to red, yellow and white");
}

void bench_samples(const std::string& dir) {
    const int n = 8192;
    // One generator runs through the noise and then the blobs' coarse grid.
    gen::Lcg rng(12345);
    const Bytes noise = gen::noise_bytes(rng, static_cast<std::size_t>(n) * n);
    save_raster(dir + "/big8.ras", n, n, 8, 1, {}, noise);
    // The same noise byte-encoded (type 2: about one escape in 256 bytes,
    // few runs), and the blobs byte-encoded (short runs everywhere).
    save_raster(dir + "/big8rle.ras", n, n, 8, 2, {}, noise);
    // 16-bit values whose two bytes differ, so that a reader that swaps or
    // drops a byte is caught by the round trip.
    Bytes w(noise.size() * 2);
    for (std::size_t i = 0; i < noise.size(); ++i) {
        w[2 * i] = noise[i];
        w[2 * i + 1] = static_cast<unsigned char>(noise[i] ^ 0x5a);
    }
    save_raw(dir + "/big16", "imw", n, n, w);
    const Bytes blobs = gen::blobs_image(rng, n, 160);
    save_raw(dir + "/blobs", "ima", n, n, blobs);
    save_raster(dir + "/blobsrle.ras", n, n, 8, 2, {}, blobs);
    save_raw(dir + "/blobs_mask", "ima", n, n, gen::binary(blobs, 128));
    save_raw(dir + "/adversarial", "ima", n, n, gen::adversarial_image(n));
    save_volume(dir + "/vol256.vol", 256, 256, 256, gen::phantom_volume(256, 256, 256, 11, 60));
    save_volume(dir + "/objects256.vol", 256, 256, 256, gen::binary(gen::phantom_volume(256, 256, 256, 11, 0), 150));
    const auto stack = gen::speckle_stack(2048, 2048, 8, 3, 29);
    for (std::size_t k = 0; k < stack.size(); ++k) save_imw(dir + "/stack_" + std::to_string(k + 1), 2048, 2048, stack[k]);

    // A colour raster of three independent blob fields, and the same fields
    // as hue, saturation and value components.
    std::vector<Bytes> planes;
    for (const std::uint32_t seed : {41u, 42u, 43u}) {
        gen::Lcg plane_rng(seed);
        planes.push_back(gen::blobs_image(plane_rng, n, 160));
    }
    Bytes rgb(3 * planes[0].size());
    for (std::size_t i = 0; i < planes[0].size(); ++i)
        for (std::size_t c = 0; c < 3; ++c) rgb[3 * i + c] = planes[c][i];
    save_raster(dir + "/colour8192.ras", n, n, 24, 1, {}, rgb);
    const char* names[] = {"/hue8192", "/sat8192", "/val8192"};
    for (std::size_t c = 0; c < 3; ++c) {
        std::vector<float> component(planes[c].size());
        for (std::size_t i = 0; i < component.size(); ++i)
            component[i] = c == 0 ? 360.0f * planes[c][i] / 256.0f : planes[c][i] / 255.0f;
        save_imf(dir + names[c], n, n, component);
    }
    save_text(dir + "/heat.txt", heat_colormap());

    // Objects files for synthetic-image-tool on 8192 x 8192: 10000 random
    // rectangles, and 10000 rectangles that each cover the whole image.
    std::string scattered = "10000\n", covering = "10000\n";
    for (int k = 0; k < 10000; ++k) {
        const int w = 1 + static_cast<int>(rng.high24() % 400), h = 1 + static_cast<int>(rng.high24() % 400);
        const int x = static_cast<int>(rng.high24() % static_cast<std::uint32_t>(n - w));
        const int y = static_cast<int>(rng.high24() % static_cast<std::uint32_t>(n - h));
        scattered += std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(x + w - 1) + " " +
                     std::to_string(y + h - 1) + " " + std::to_string(rng.high24() % 256) + "\n";
        covering += "0 0 " + std::to_string(n - 1) + " " + std::to_string(n - 1) + " " + std::to_string(k % 256) + "\n";
    }
    save_text(dir + "/rectangles10000.txt", scattered);
    save_text(dir + "/covering10000.txt", covering);

    // Classifier inputs: three 1024 x 1024 images for the ring map, three
    // 2048 x 2048 attribute images and the 27-rule bases for the fuzzy rules.
    for (int k = 1; k <= 3; ++k) {
        gen::Lcg koh(static_cast<std::uint32_t>(40 + k));
        save_raw(dir + "/koh_" + std::to_string(k), "ima", 1024, 1024, gen::blobs_image(koh, 1024, 64));
        gen::Lcg attr(static_cast<std::uint32_t>(k));
        save_raw(dir + "/attr_" + std::to_string(k), "ima", 2048, 2048, gen::blobs_image(attr, 2048, 64));
    }
    gen::Lcg fcm_rng(4242);
    const auto fcm = gen::cluster_attributes(fcm_rng, 2048, 4);
    for (int a = 0; a < 3; ++a) save_raw(dir + "/fcm_" + std::to_string(a + 1), "ima", 2048, 2048, fcm[a]);
    // 100 000 learning points of 3 attributes in 4 classes, as
    // learning-set-tool writes them (label k + 1 for class k).
    {
        gen::Lcg learning_rng(2026);
        const auto values = gen::learning_points(learning_rng, 4, 25000, 3);
        std::string text;
        char line[96];
        for (std::size_t p = 0; p < values[0].size(); ++p) {
            std::snprintf(line, sizeof line, "%f %f %f %d\n", static_cast<double>(values[0][p]),
                          static_cast<double>(values[1][p]), static_cast<double>(values[2][p]),
                          static_cast<int>(p / 25000) + 1);
            text += line;
        }
        save_text(dir + "/learn100k.txt", text);
    }
    save_text(dir + "/rules27_symb.txt", gen::rule_base27(false));
    save_text(dir + "/rules27_grad.txt", gen::rule_base27(true));
    std::printf("make-samples: wrote big8.ras, big8rle.ras, big16.imw, blobs.ima, blobsrle.ras, blobs_mask.ima, adversarial.ima, colour8192.ras "
                "and hue8192.imf, sat8192.imf, val8192.imf (8192 x 8192), vol256.vol and objects256.vol (256 x 256 x "
                "256), stack_1..8.imw (2048 x 2048), heat.txt, rectangles10000.txt, covering10000.txt, koh_1..3.ima (1024 x 1024), attr_1..3.ima and fcm_1..3.ima (2048 x 2048), rules27_symb.txt, rules27_grad.txt and learn100k.txt into %s\n",
                dir.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) demo_samples(argv[1]);
    else if (argc == 3 && std::string(argv[1]) == "--bench") bench_samples(argv[2]);
    else die("usage: make-samples <folder> | make-samples --bench <folder>");
    return 0;
}
