#include "rectangles.hpp"

#include <climits>
#include <cstdio>
#include <memory>
#include <optional>

#include "fail.hpp"
#include "text_input.hpp"

namespace cycle {

namespace {

// The next real of the stream the way "%f" reads it, as a float (beyond the
// float range, an infinity); false when the text there is not a number.
bool scan_real(std::FILE* stream, float* value) {
    double read;
    if (std::fscanf(stream, "%lf", &read) != 1) return false;
    *value = pixel_value<float>(read);
    return true;
}

}  // namespace

std::vector<Rectangle> read_rectangles(const char* path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path, "r"), std::fclose);
    if (!file) fw::fail(1, "\n>> ERREUR : fichier %s introuvable\n", path);
    fw::IntScanner scanner(file.get());
    const std::optional<long long> count = scanner.next();
    if (!count)
        fw::fail(1, "\n>> ERREUR : fichier d'objets %s vide ou illisible (un nombre d'objets entier attendu)\n", path);
    if (*count < 0 || *count > INT_MAX)
        fw::fail(1, "\n>> ERREUR : nombre d'objets %lld incorrect dans %s (entier positif ou nul attendu)\n", *count,
                 path);

    std::vector<Rectangle> objects;
    // The count is not trusted for the allocation: records are added as
    // they are read.
    for (long long k = 1; k <= *count; ++k) {
        long long corners[4];
        bool read = true;
        for (long long& c : corners) {
            const std::optional<long long> v = read ? scanner.next() : std::nullopt;
            read = v.has_value() && *v >= INT_MIN && *v <= INT_MAX;
            if (read) c = *v;
        }
        float value = 0;
        if (!read || !scan_real(file.get(), &value))
            fw::fail(1,
                     "\n>> ERREUR : objet %lld de %s illisible (%lld objets annonces ; quatre entiers et un reel "
                     "attendus par objet)\n",
                     k, path, *count);
        objects.push_back({static_cast<int>(corners[0]), static_cast<int>(corners[1]), static_cast<int>(corners[2]),
                           static_cast<int>(corners[3]), value});
    }
    return objects;
}

}  // namespace cycle
