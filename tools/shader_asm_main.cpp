// Build tool: assembles one pixel-shader source into its bytecode file.
//   brindora_shader_asm <source> <output>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/shader_asm.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: brindora_shader_asm <source> <output>\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": error: cannot read the file\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  ShaderAssembly shader = AssembleShader(text.str());
  if (!shader.ok()) {
    std::cerr << argv[1] << ":" << shader.errorLine << ": error: " << shader.error << "\n";
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  for (uint32_t token : shader.tokens) {
    const unsigned char bytes[4] = {static_cast<unsigned char>(token), static_cast<unsigned char>(token >> 8),
                                    static_cast<unsigned char>(token >> 16), static_cast<unsigned char>(token >> 24)};
    out.write(reinterpret_cast<const char*>(bytes), 4);
  }
  out.close();
  if (!out) {
    std::cerr << argv[2] << ": error: cannot write the file\n";
    std::remove(argv[2]);
    return 1;
  }
  return 0;
}
