// Colour-space conversions of a colour image.
//
// Every conversion is one flat loop over the planes' contiguous blocks:
// pixel p of the image (row after row) is element nr*nc - 1 - p of the
// half-turned double planes. What depends on one byte only is tabulated
// once per computation: the components k / 255, the nine products of the
// RGB-to-XYZ matrix by them (summed in the matrix's order, so the results
// are those of the matrix applied to the components), and the cosine and
// sine of the 256 TLS hues. The TLS hue and saturation depend only on
// 2r - v - b and v - b: each of those 521 731 pairs is computed when it is
// first met and kept, so an image costs at most that many arc tangents.

#include "conv_img.h"

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fail.hpp"
#include "proto2D.h"
#include "questions.hpp"

namespace {

using Matrix = double[3][3];

constexpr Matrix kToet = {{0.04, 0.084, -0.041}, {0.021, 0.107, -0.038}, {-0.005, 0.011, 0.024}};
constexpr Matrix kCei = {{0.49, 0.31, 0.2}, {0.177, 0.813, 0.011}, {0.0, 0.01, 0.99}};

// 255 / (2 pi): a full turn of hue is 255 TLS steps.
constexpr double kTlsScale = 40.58451048843331;
constexpr double kPi = 3.141592653589793;

enum Type { RGB_TLS = 1, TLS_RGB, RGB_HSV, HSV_RGB, RGB_LAB, RGB_LUV };

inline double maxim(double a, double b) { return b < a ? a : b; }
inline double minim(double a, double b) { return a < b ? a : b; }

void to_xyz(const Matrix& m, double R, double V, double B, double* X, double* Y, double* Z) {
    *X = m[0][0] * R + m[0][1] * V + m[0][2] * B;
    *Y = m[1][0] * R + m[1][1] * V + m[1][2] * B;
    *Z = m[2][0] * R + m[2][1] * V + m[2][2] * B;
}

void checked_to_xyz(const Matrix& m, const char* line, double R, double V, double B, double* X, double* Y, double* Z) {
    for (double c : {R, V, B})
        if (!(c >= 0.0 && c <= 1.0))
            fw::fail(1, "\nEREURE: Les valeurs de *R, *V et *B sont dehors l'interval [0,1].%s\n", line);
    to_xyz(m, R, V, B, X, Y, Z);
}

// The cube root through the power function, as the colour formulas write
// it; 1 gives exactly 1, so the white has L = 100.
inline double cube_root(double t) { return std::pow(t, 1.0 / 3.0); }

inline double f(double t) { return t > 0.008856 ? cube_root(t) : 7.787 * t + 16.0 / 116.0; }

// L* of Y / Yn and F(Y / Yn), which share their cube root.
struct Lightness {
    double l, f;
    explicit Lightness(double y) {
        if (y > 0.008856) {
            const double root = cube_root(y);
            l = 116.0 * root - 16.0;
            f = root;
        } else {
            l = 903.3 * y;
            f = 7.787 * y + 16.0 / 116.0;
        }
    }
};

// A real value as a byte: truncated toward zero, then modulo 256 (so -3
// gives 253 and 258 gives 2); a value that is not a number gives 0.
inline unsigned char wrapped_byte(double x) {
    if (x > -2147483648.0 && x < 2147483648.0)  // the usual case, in integers
        return static_cast<unsigned char>(static_cast<unsigned>(static_cast<int>(x)) & 0xffu);
    double t = std::fmod(std::trunc(x), 256.0);
    if (t < 0.0) t += 256.0;
    return t >= 0.0 && t < 256.0 ? static_cast<unsigned char>(static_cast<int>(t)) : 0;
}

// The byte that adds (int)offset modulo 256 (offsets lie within int).
inline unsigned char byte_shift(double offset) {
    return static_cast<unsigned char>(static_cast<unsigned>(static_cast<int>(offset)) & 0xffu);
}

// Everything a flat loop needs: the pixel count, the image planes and the
// ends of the half-turned double planes.
struct Flat {
    std::size_t n;
    const unsigned char *r, *v, *b;
    unsigned char *out_r, *out_v, *out_b;
    double *last1, *last2, *last3;  // element n - 1 of each double plane
};

Flat flat(const conv_img_t& d, const imarvb* out, const imarvb& in) {
    const std::size_t n = static_cast<std::size_t>(d.nr) * static_cast<std::size_t>(d.nc);
    Flat px{n, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    if (in.r != nullptr) px.r = in.r[0], px.v = in.v[0], px.b = in.b[0];
    if (out != nullptr && out->r != nullptr) px.out_r = out->r[0], px.out_v = out->v[0], px.out_b = out->b[0];
    if (d.comp1 != nullptr && n > 0) px.last1 = d.comp1[0] + (n - 1), px.last2 = d.comp2[0] + (n - 1), px.last3 = d.comp3[0] + (n - 1);
    return px;
}

// The T (hue) code of w and a, before its offset.
inline int tls_hue(double w, double a) {
    if (w == 0.0) return a > 0.0 ? 64 : 192;
    const double t = w > 0.0 ? kTlsScale * std::atan(a / w) : (kPi + std::atan(a / w)) * kTlsScale;
    if (t >= 0.0) {
        const double whole = std::trunc(t);
        return static_cast<int>(whole) + (t - whole >= 0.4999 ? 1 : 0);
    }
    return static_cast<int>(std::trunc(t)) - 1;
}

// The T and S codes of every pair (2r - v - b, v - b), filled as pairs are
// met: entry (2r - v - b + 510) * 511 + (v - b + 255) holds
// kKnown | (T + 256) << 16 | S, or 0 while unknown. On the heap, zeroed on
// demand: only the pages of the pairs met are touched.
class TlsCodes {
public:
    static constexpr std::uint32_t kKnown = 1u << 31;
    TlsCodes() : codes_(static_cast<std::uint32_t*>(std::calloc(1021 * 511, sizeof(std::uint32_t)))) {
        if (codes_ == nullptr) fw::fail(1, "\n allocation image impossible\n");
    }
    TlsCodes(const TlsCodes&) = delete;
    TlsCodes& operator=(const TlsCodes&) = delete;
    ~TlsCodes() { std::free(codes_); }

    std::uint32_t of(int r, int v, int b) {
        std::uint32_t& code = codes_[(2 * r - v - b + 510) * 511 + (v - b + 255)];
        if (code == 0) {
            // w = r - (v + b) / 2 exactly, so the pair gives w and a.
            const double w = r - 0.5 * (v + b);
            const double a = 0.8660254037844386 * (v - b);
            const double s = std::rint(std::sqrt(w * w + a * a));
            code = kKnown | static_cast<std::uint32_t>(tls_hue(w, a) + 256) << 16 | static_cast<std::uint32_t>(s);
        }
        return code;
    }

private:
    std::uint32_t* codes_;
};

void conv_RVB_TLS2(const conv_img_t& d, const Flat& px) {
    unsigned char luminance[766];
    for (int sum = 0; sum < 766; ++sum) luminance[sum] = static_cast<unsigned char>(std::rint(sum / 3.0));
    TlsCodes codes;
    const unsigned char s1 = byte_shift(d.decal1), s2 = byte_shift(d.decal2), s3 = byte_shift(d.decal3);
    for (std::size_t p = 0; p < px.n; ++p) {
        const int r = px.r[p], v = px.v[p], b = px.b[p];
        const std::uint32_t code = codes.of(r, v, b);
        // T + 256 and T have the same low byte.
        const auto t_byte = static_cast<unsigned char>((code >> 16) + s1);
        const auto l_byte = static_cast<unsigned char>(luminance[r + v + b] + s2);
        const auto s_byte = static_cast<unsigned char>(code + s3);
        px.out_r[p] = t_byte;
        px.out_v[p] = l_byte;
        px.out_b[p] = s_byte;
        px.last1[-static_cast<std::ptrdiff_t>(p)] = t_byte;
        px.last2[-static_cast<std::ptrdiff_t>(p)] = l_byte;
        px.last3[-static_cast<std::ptrdiff_t>(p)] = s_byte;
    }
}

inline unsigned char clamped_rint(double x) { return static_cast<unsigned char>(std::rint(x < 0.0 ? 0.0 : x > 255.0 ? 255.0 : x)); }

void conv_TLS_RVB2(const conv_img_t& d, const Flat& px) {
    double cosine[256], sine[256];
    for (int t = 0; t < 256; ++t) {
        const double theta = (t < 193 ? t : t - 255) * 6.283185307179586 / 255.0;
        cosine[t] = std::cos(theta);
        sine[t] = std::sin(theta);
    }
    const unsigned char s1 = byte_shift(d.decal1), s2 = byte_shift(d.decal2), s3 = byte_shift(d.decal3);
    for (std::size_t p = 0; p < px.n; ++p) {
        const unsigned char t = static_cast<unsigned char>(px.r[p] + s1);
        const double l = static_cast<unsigned char>(px.v[p] + s2);
        const double s = static_cast<unsigned char>(px.b[p] + s3);
        const double red = l + 2.0 / 3.0 * s * cosine[t];
        const double m = l - 1.0 / 3.0 * s * cosine[t];
        const double q = 0.5773502691896257 * s * sine[t];
        px.out_r[p] = clamped_rint(red);
        px.out_v[p] = clamped_rint(m + q);
        px.out_b[p] = clamped_rint(m - q);
    }
}

// k / 255 for every byte k.
struct Unit {
    double of[256];
    Unit() {
        for (int k = 0; k < 256; ++k) of[k] = k / 255.0;
    }
};

void conv_RVB_HSV(const conv_img_t& d, const Flat& px) {
    const Unit unit;
    for (std::size_t p = 0; p < px.n; ++p) {
        const double R = unit.of[px.r[p]], G = unit.of[px.v[p]], B = unit.of[px.b[p]];
        const double V = maxim(R, maxim(G, B));
        double H = -1.0, S = 0.0;
        if (V != 0.0) {
            const double delta = V - minim(R, minim(G, B));
            S = delta / V;
            if (S != 0.0) {
                const double rc = (V - R) / delta, gc = (V - G) / delta, bc = (V - B) / delta;
                H = V == R ? bc - gc : V == G ? 2.0 + rc - bc : 4.0 + gc - rc;
                H = 60.0 * H;
                if (H < 0.0) H += 360.0;
            }
        }
        px.last1[-static_cast<std::ptrdiff_t>(p)] = H + d.decal1;
        px.last2[-static_cast<std::ptrdiff_t>(p)] = S + d.decal2;
        px.last3[-static_cast<std::ptrdiff_t>(p)] = V + d.decal3;
    }
}

void conv_HSV_RVB(const conv_img_t& d, const Flat& px) {
    for (std::size_t p = 0; p < px.n; ++p) {
        double H = px.last1[-static_cast<std::ptrdiff_t>(p)] + d.decal1;
        const double S = px.last2[-static_cast<std::ptrdiff_t>(p)] + d.decal2;
        const double V = px.last3[-static_cast<std::ptrdiff_t>(p)] + d.decal3;
        double R = V, G = V, B = V;
        if (S != 0.0) {
            // A hue outside [0, 360) is taken modulo 360; 360 itself is 0.
            if (!(H >= 0.0 && H < 360.0)) {
                H = std::fmod(H, 360.0);
                if (H < 0.0) H += 360.0;
                if (H == 360.0) H = 0.0;
            }
            const double h = H / 60.0;
            // The sector: h lies in [0, 6), so truncating is flooring; a hue
            // that is no number takes sector 0.
            const int i = h >= 0.0 && h < 6.0 ? static_cast<int>(h) : 0;
            const double frac = h - i;
            const double pp = V * (1.0 - S), q = V * (1.0 - S * frac), t = V * (1.0 - S * (1.0 - frac));
            switch (i) {
                case 0: R = V, G = t, B = pp; break;
                case 1: R = q, G = V, B = pp; break;
                case 2: R = pp, G = V, B = t; break;
                case 3: R = pp, G = q, B = V; break;
                case 4: R = t, G = pp, B = V; break;
                default: R = V, G = pp, B = q; break;
            }
        }
        px.out_r[p] = wrapped_byte(255.0 * R);
        px.out_v[p] = wrapped_byte(255.0 * G);
        px.out_b[p] = wrapped_byte(255.0 * B);
    }
}

// The products of a matrix's entries by the 256 components k / 255.
struct Products {
    double of[3][3][256];
    explicit Products(const Matrix& m) {
        const Unit unit;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                for (int k = 0; k < 256; ++k) of[i][j][k] = m[i][j] * unit.of[k];
    }
    void xyz(unsigned char r, unsigned char v, unsigned char b, double* X, double* Y, double* Z) const {
        *X = of[0][0][r] + of[0][1][v] + of[0][2][b];
        *Y = of[1][0][r] + of[1][1][v] + of[1][2][b];
        *Z = of[2][0][r] + of[2][1][v] + of[2][2][b];
    }
};

const Matrix& matrix_of(const conv_img_t& d) { return d.primaires == 1 ? kCei : kToet; }

void conv_RVB_Lab(const conv_img_t& d, const Flat& px) {
    const Products products(matrix_of(d));
    double Xn, Yn, Zn;
    to_xyz(matrix_of(d), 1.0, 1.0, 1.0, &Xn, &Yn, &Zn);
    for (std::size_t p = 0; p < px.n; ++p) {
        double X, Y, Z;
        products.xyz(px.r[p], px.v[p], px.b[p], &X, &Y, &Z);
        const Lightness y(Y / Yn);
        px.last1[-static_cast<std::ptrdiff_t>(p)] = y.l + d.decal1;
        px.last2[-static_cast<std::ptrdiff_t>(p)] = 500.0 * (f(X / Xn) - y.f) + d.decal2;
        px.last3[-static_cast<std::ptrdiff_t>(p)] = 200.0 * (y.f - f(Z / Zn)) + d.decal3;
    }
}

void conv_RVB_Luv(const conv_img_t& d, const Flat& px) {
    const Products products(matrix_of(d));
    double Xn, Yn, Zn, un, vn, Yw;
    to_xyz(matrix_of(d), 1.0, 1.0, 1.0, &Xn, &Yn, &Zn);
    XYZ_to_ceiuvY(Xn, Yn, Zn, &un, &vn, &Yw);
    for (std::size_t p = 0; p < px.n; ++p) {
        double X, Y, Z, u, v, L;
        products.xyz(px.r[p], px.v[p], px.b[p], &X, &Y, &Z);
        XYZ_to_ceiuvY(X, Y, Z, &u, &v, &L);
        L = Lightness(L / Yw).l;
        px.last1[-static_cast<std::ptrdiff_t>(p)] = L + d.decal1;
        px.last2[-static_cast<std::ptrdiff_t>(p)] = 13.0 * L * (u - un) + d.decal2;
        px.last3[-static_cast<std::ptrdiff_t>(p)] = 13.0 * L * (v - vn) + d.decal3;
    }
}

[[noreturn]] void unknown_type() { fw::fail(1, "Nombre incorect"); }

bool sized(const conv_img_t& d, int nc, int nr) { return d.nc == nc && d.nr == nr; }

}  // namespace

extern "C" {

param* conv_img_lect(conv_img_t* desc, param* ptp, const char* debq) {
    fw::Questions questions(ptp, debq, "conv_img_lect");
    desc->comp1 = desc->comp2 = desc->comp3 = nullptr;
    desc->nr = desc->nc = 0;
    desc->primaires = 0;
    desc->type = questions.integer("Tipe de conversion (entier)");
    switch (desc->type) {
        case RGB_TLS:
        case TLS_RGB:
            // Added to bytes as ints: they must be ints.
            desc->decal1 = questions.real("Teinte (TLS) (entier)", INT_MIN, INT_MAX);
            desc->decal2 = questions.real("Luminance (TLS) (entier)", INT_MIN, INT_MAX);
            desc->decal3 = questions.real("Saturation (TLS) (entier)", INT_MIN, INT_MAX);
            break;
        case RGB_HSV:
        case HSV_RGB:
            desc->decal1 = questions.real("Hue - Teinte (HSV) (real) 0 - 360 ");
            desc->decal2 = questions.real("Saturation (HSV) (real) 0 - 1 ");
            desc->decal3 = questions.real("Value (HSV) (real) 0 - 1 ");
            break;
        case RGB_LAB:
        case RGB_LUV: {
            const bool lab = desc->type == RGB_LAB;
            desc->decal1 = questions.real(lab ? "L (Lab) (real) " : "L (Luv) (real) ");
            desc->decal2 = questions.real(lab ? "a (Lab) (real) " : "u (Luv) (real) ");
            desc->decal3 = questions.real(lab ? "b (Lab) (real) " : "v (Luv) (real) ");
            desc->primaires = questions.choice(
                "(Transformation intermediaire) (0 - Transforme les intensite toetRGB en XYZ apres en Lab) (1 - "
                "Transforme les intensite ceiRGB en XYZ apres en Lab)",
                {0, 1});
            break;
        }
        default:
            unknown_type();
    }
    return questions.next();
}

int conv_img_init(conv_img_t* desc, imarvb* out, imarvb in) {
    out->nc = in.nc;
    out->nr = in.nr;
    std::snprintf(out->nom, sizeof out->nom, "%s", in.nom);
    alloc_imarvb(out);
    desc->nr = in.nr;
    desc->nc = in.nc;
    alloc_space_struct(desc);
    return NO_ERROR;
}

int conv_img_calc(conv_img_t* desc, imarvb* out, imarvb in) {
    const int type = desc->type;
    if (type < RGB_TLS || type > RGB_LUV) unknown_type();
    const bool reads_in = type != HSV_RGB;
    const bool writes_out = type == RGB_TLS || type == TLS_RGB || type == HSV_RGB;
    const bool uses_planes = type != TLS_RGB;
    if ((uses_planes && desc->comp1 == nullptr) || (reads_in && (in.r == nullptr || !sized(*desc, in.nc, in.nr))) ||
        (writes_out && (out->r == nullptr || !sized(*desc, out->nc, out->nr))))
        fw::fail(1, "\n>> ERREUR conv_img_calc : phase d'initialisation absente pour cette image\n");
    const Flat px = flat(*desc, out, in);
    switch (type) {
        case RGB_TLS: conv_RVB_TLS2(*desc, px); break;
        case TLS_RGB: conv_TLS_RVB2(*desc, px); break;
        case RGB_HSV: conv_RVB_HSV(*desc, px); break;
        case HSV_RGB: conv_HSV_RVB(*desc, px); break;
        case RGB_LAB: conv_RVB_Lab(*desc, px); break;
        default: conv_RVB_Luv(*desc, px); break;
    }
    return NO_ERROR;
}

void alloc_space_struct(conv_img_t* desc) {
    for (double*** plane : {&desc->comp1, &desc->comp2, &desc->comp3}) {
        imadb p{};
        p.nc = desc->nc;
        p.nr = desc->nr;
        alloc_imadb(&p);
        *plane = p.pixels;
    }
}

void free_space_struct(conv_img_t* desc) {
    for (double*** plane : {&desc->comp1, &desc->comp2, &desc->comp3}) {
        imadb p{};
        p.pixels = *plane;
        if (p.pixels != nullptr) free_imadb(&p);
        *plane = nullptr;
    }
}

void toetRGB_to_XYZ(double R, double V, double B, double* X, double* Y, double* Z) {
    checked_to_xyz(kToet, "\nOperateur:   toetRGB_to_XYZ() ", R, V, B, X, Y, Z);
}

void ceiRGB_to_XYZ(double R, double V, double B, double* X, double* Y, double* Z) {
    checked_to_xyz(kCei, "\nOperateur:  ceiRGB_to_XYZ() ", R, V, B, X, Y, Z);
}

void XYZ_to_ceiuvY(double X, double Y, double Z, double* u, double* v, double* Yout) {
    const double d = X + 15.0 * Y + 3.0 * Z;
    if (std::fabs(d) <= 1e-12) {
        *u = *v = *Yout = 0.0;
        return;
    }
    *u = 4.0 * X / d;
    *v = 6.0 * Y / d;
    *Yout = Y;
}

}  // extern "C"
