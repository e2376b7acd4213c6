#pragma once
// A small assembler for Direct3D 9 pixel shaders 1.1 to 1.4: exactly the
// instructions, registers and modifiers the colour-effect shaders use, checked
// against what each version allows, so that a shader the Windows runtime would
// refuse never gets built.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ShaderAssembly {
  std::vector<uint32_t> tokens;  // version token ... end token; empty on failure
  int errorLine = 0;             // 1-based line of the first error
  std::string error;             // empty on success
  bool ok() const { return error.empty(); }
};

// Source syntax, one statement per line, comments after ';' or '//':
//   ps_1_1 | ps_1_2 | ps_1_3 | ps_1_4     first statement
//   .sampler NAME sN / .float3 NAME cN / .float4 NAME cN   constant-table entries
//   def cN, x, y, z, w
//   tex tN (1.1-1.3)   texld rN, tN|rN (1.4)   phase (1.4)
//   mov add mul mad dp3 dp4, with _sat _x2 _x4 _x8 _d2 _d4 _d8, write masks,
//   source modifiers - 1- _bias _bx2 _x2 and replicate swizzles.
ShaderAssembly AssembleShader(std::string_view source);

// Creator string written into every constant table.
inline constexpr const char* kShaderCreator = "Brindora shader assembler";
