// shadercorpus: writes every program of the built-in shader data as a file of its own, the seeds of the
// Direct3D stand-in's shader token fuzz target (tests/make_fuzz_corpora.sh).
//   shadercorpus <folder>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/shaders/builtin_shader_programs.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: shadercorpus <folder>\n");
        return 2;
    }
    std::vector<NamedShader> programs = BuiltinPixelShaders();
    programs.push_back({"vs_main.vso", BuiltinVertexShader()});
    programs.push_back({"ps_textured.pso", BuiltinTexturedPixelShader()});
    std::filesystem::create_directories(argv[1]);
    for (const NamedShader& p : programs) {
        std::ofstream out(std::filesystem::path(argv[1]) / p.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(p.code.data()), std::streamsize(p.code.size()));
        if (!out) {
            std::fprintf(stderr, "shadercorpus: cannot write %s\n", p.name.c_str());
            return 1;
        }
    }
    return 0;
}
