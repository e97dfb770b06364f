// ctrl_fuzz: a .ctrl file made of the input, read by param_debut in FICHIER
// mode, replayed through a reading phase (standard input empty: every
// stored reply is kept) and saved again by param_fin.

#include "chain.hpp"
#include "harness.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = fuzz::write_file("run.ctrl", fuzz::as_text(data, size));
    fuzz::set_stdin("");
    param first{};
    fuzz::run([&] {
        char program[] = "ctrl_fuzz";
        char* argv[] = {program, const_cast<char*>(path.c_str()), nullptr};
        param_debut(2, argv, &first);
        fuzz::ask_chain(&first);
        param_fin(2, argv, &first);
    });
    fuzz::free_chain(&first);
    return 0;
}
