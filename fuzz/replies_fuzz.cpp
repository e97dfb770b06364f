// replies_fuzz: typed replies. The first byte chooses the mode: even, MANUEL
// (the rest is standard input); odd, AUTO (the rest's lines are the
// command-line replies, and standard input as well). The reading phase is
// followed by the direct questions (lec_int, lec_float, lec_double,
// lec_nom), which read standard input in every mode.

#include <string>
#include <vector>

#include "chain.hpp"
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool automatic = (data[0] & 1) != 0;
    const std::string_view rest = fuzz::as_text(data + 1, size - 1);
    fuzz::set_stdin(rest);

    std::vector<std::string> words{"replies_fuzz"};
    if (automatic) {
        std::string_view text = rest;
        while (!text.empty() && words.size() < 40) {
            const std::size_t end = text.find('\n');
            words.emplace_back(text.substr(0, end));
            if (end == std::string_view::npos) break;
            text.remove_prefix(end + 1);
        }
        if (words.size() == 1) words.emplace_back("");
        if (words.size() == 2 && words[1].size() >= 5 && words[1].ends_with(".ctrl")) words[1] += "x";
    }
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    param first{};
    fuzz::run([&] {
        param_debut(static_cast<int>(words.size()), argv.data(), &first);
        fuzz::ask_chain(&first);
        int i = 3;
        float f = 0.5f;
        double d = 0.25;
        char name[LONG_NOM] = "nom";
        lec_int(&i, "entier");
        lec_float(&f, "reel simple");
        lec_double(&d, "reel double");
        lec_nom(name, "nom");
    });
    fuzz::free_chain(&first);
    return 0;
}
