// shadergen: writes the C++ source of the library's built-in shader blocks.
//   shadergen <output.cpp>
#include <cstdio>
#include <fstream>

#include "tools/shaders/builtin_shader_programs.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: shadergen <output.cpp>\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << BuiltinShaderDataSource(BuildBuiltinShaderBlocks());
    if (!out) {
        std::fprintf(stderr, "shadergen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
