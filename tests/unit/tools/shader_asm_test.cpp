// Expected tokens are written from the Direct3D 9 shader-token format:
// instruction = opcode (bits 0-15); parameter = bit 31, register type in bits
// 28-30 (0 r, 1 v, 2 c, 3 t), number in bits 0-10; destination write mask in
// bits 16-19, result modifier in 20-23, shift in 24-27; source swizzle in bits
// 16-23 (0xE4 = .xyzw), source modifier in 24-27.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/shader_asm.h"

namespace {

using Tokens = std::vector<uint32_t>;

// The instruction tokens between the constant-table comment and the end token.
Tokens Body(const ShaderAssembly& shader) {
  EXPECT_TRUE(shader.ok()) << "line " << shader.errorLine << ": " << shader.error;
  if (shader.tokens.size() < 3) return {};
  uint32_t comment = shader.tokens[1];
  EXPECT_EQ(comment & 0xFFFF, 0xFFFEu);
  size_t first = 2 + (comment >> 16);
  EXPECT_EQ(shader.tokens.back(), 0x0000FFFFu);
  return Tokens(shader.tokens.begin() + static_cast<std::ptrdiff_t>(first), shader.tokens.end() - 1);
}

Tokens BodyOf(const std::string& source) { return Body(AssembleShader(source)); }

struct Constant {
  uint16_t set, index, count, cls, type, columns;
};

// Reads the CTAB comment as D3DX does: a 28-byte header, 20-byte entries,
// 16-byte type records, offsets from the header.
std::map<std::string, Constant> ReadTable(const ShaderAssembly& shader, std::string* creator = nullptr,
                                          std::string* target = nullptr) {
  std::map<std::string, Constant> table;
  uint32_t words = shader.tokens[1] >> 16;
  EXPECT_EQ(shader.tokens[2], 0x42415443u);  // "CTAB"
  std::vector<uint8_t> bytes((words - 1) * 4);
  std::memcpy(bytes.data(), &shader.tokens[3], bytes.size());
  auto u32 = [&](size_t at) {
    uint32_t v;
    std::memcpy(&v, &bytes.at(at + 3) - 3, 4);
    return v;
  };
  auto u16 = [&](size_t at) { return static_cast<uint16_t>(bytes.at(at) | bytes.at(at + 1) << 8); };
  auto str = [&](size_t at) {
    std::string s;
    while (bytes.at(at)) s += static_cast<char>(bytes[at++]);
    return s;
  };
  EXPECT_EQ(u32(0), 28u);
  EXPECT_EQ(u32(8), shader.tokens[0]);
  if (creator) *creator = str(u32(4));
  if (target) *target = str(u32(24));
  for (uint32_t i = 0; i < u32(12); ++i) {
    size_t info = u32(16) + 20 * i;
    size_t type = u32(info + 12);
    table[str(u32(info))] = {u16(info + 4), u16(info + 6), u16(info + 8), u16(type), u16(type + 2), u16(type + 6)};
  }
  return table;
}

std::string ReadSource(const char* name) {
  std::ifstream in(std::string(BRINDORA_SHADER_SOURCES) + "/" + name);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_FALSE(text.str().empty()) << name;
  return text.str();
}

void ExpectRefused(const std::string& source, int line, const std::string& words) {
  ShaderAssembly shader = AssembleShader(source);
  EXPECT_FALSE(shader.ok()) << source;
  EXPECT_TRUE(shader.tokens.empty());
  EXPECT_EQ(shader.errorLine, line) << shader.error;
  EXPECT_NE(shader.error.find(words), std::string::npos) << "'" << shader.error << "' lacks '" << words << "'";
}

constexpr uint32_t kPs11 = 0xFFFF0101u;
constexpr uint32_t kPs14 = 0xFFFF0104u;

}  // namespace

TEST(ShaderTokens, VersionCommentAndEnd) {
  ShaderAssembly shader = AssembleShader("ps_1_1\ntex t0\nmov r0, t0\n");
  ASSERT_TRUE(shader.ok()) << shader.error;
  EXPECT_EQ(shader.tokens.front(), kPs11);
  EXPECT_EQ(AssembleShader("PS_1_4\ntexld r0, t0").tokens.front(), kPs14);
  EXPECT_EQ(BodyOf("ps_1_1\ntex t0\nmov r0, t0"), (Tokens{0x42, 0xB00F0000, 0x01, 0x800F0000, 0xB0E40000}));
}

TEST(ShaderTokens, ArithmeticOperandsAndConstants) {
  EXPECT_EQ(BodyOf("ps_1_1\n"
                   "def c2, 0.7, 0.7, 0.7, 0.7\n"
                   "def c3, 0.3, 0.3, 0.3, -1\n"
                   "tex t0\n"
                   "dp3 r1, t0, c0\n"
                   "add r0, r1, c1\n"
                   "mad r0, r1, c3, r0\n"),
            (Tokens{0x51, 0xA00F0002, 0x3F333333, 0x3F333333, 0x3F333333, 0x3F333333,  //
                    0x51, 0xA00F0003, 0x3E99999A, 0x3E99999A, 0x3E99999A, 0xBF800000,  //
                    0x42, 0xB00F0000,                                                  //
                    0x08, 0x800F0001, 0xB0E40000, 0xA0E40000,                          //
                    0x02, 0x800F0000, 0x80E40001, 0xA0E40001,                          //
                    0x04, 0x800F0000, 0x80E40001, 0xA0E40003, 0x80E40000}));
}

TEST(ShaderTokens, ModifiersMasksAndSwizzles) {
  EXPECT_EQ(BodyOf("ps_1_1\nmov_sat r0, -c0"), (Tokens{0x01, 0x801F0000, 0xA1E40000}));
  EXPECT_EQ(BodyOf("ps_1_1\nmov r0.rgb, c0_bias\nmul_x2 r0.a, c1_bx2, 1-c0.a"),
            (Tokens{0x01, 0x80070000, 0xA2E40000, 0x05, 0x81080000, 0xA4E40001, 0xA6FF0000}));
  EXPECT_EQ(BodyOf("ps_1_1\nmov_d2 r0, -c0_bx2"), (Tokens{0x01, 0x8F0F0000, 0xA5E40000}));
  EXPECT_EQ(BodyOf("ps_1_4\nmov_x8 r0.rg, c0_x2.b"), (Tokens{0x01, 0x83030000, 0xA7AA0000}));
}

TEST(ShaderTokens, PixelShader14PhasesAndDependentReads) {
  EXPECT_EQ(BodyOf("ps_1_4\n"
                   "texld r0, t0\n"
                   "dp4 r1.rgb, r0, c0\n"
                   "phase\n"
                   "texld r2, r1\n"
                   "mad r0, r2, c1, r1.r\n"),
            (Tokens{0x42, 0x800F0000, 0xB0E40000,              //
                    0x09, 0x80070001, 0x80E40000, 0xA0E40000,  //
                    0x0000FFFD,                                //
                    0x42, 0x800F0002, 0x80E40001,              //
                    0x04, 0x800F0000, 0x80E40002, 0xA0E40001, 0x80000001}));
}

TEST(ShaderTokens, ConstantTableNamesRegistersAndTypes) {
  ShaderAssembly shader =
      AssembleShader("ps_1_4\n.sampler texture2 s2\n.float3 RGB2BW c0\n.float4 SEPIA_OFFSET c1\ntexld r0, t0\n");
  ASSERT_TRUE(shader.ok()) << shader.error;
  std::string creator, target;
  auto table = ReadTable(shader, &creator, &target);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(creator, kShaderCreator);
  EXPECT_EQ(target, "ps_1_4");
  const Constant& sampler = table["texture2"];
  EXPECT_EQ(sampler.set, 3);  // D3DXRS_SAMPLER
  EXPECT_EQ(sampler.index, 2);
  EXPECT_EQ(sampler.cls, 4);    // D3DXPC_OBJECT
  EXPECT_EQ(sampler.type, 10);  // D3DXPT_SAMPLER
  const Constant& luma = table["RGB2BW"];
  EXPECT_EQ(luma.set, 2);  // D3DXRS_FLOAT4
  EXPECT_EQ(luma.index, 0);
  EXPECT_EQ(luma.count, 1);
  EXPECT_EQ(luma.cls, 1);   // D3DXPC_VECTOR
  EXPECT_EQ(luma.type, 3);  // D3DXPT_FLOAT
  EXPECT_EQ(luma.columns, 3);
  EXPECT_EQ(table["SEPIA_OFFSET"].columns, 4);
  EXPECT_EQ(table["SEPIA_OFFSET"].index, 1);
}

TEST(ShaderRules, VersionOneOneRefusesLaterInstructions) {
  ExpectRefused("ps_1_1\ntex t0\ndp4 r0, t0, c0\n", 3, "dp4 is not available in ps_1_1");
  ExpectRefused("ps_1_1\ntex t0\nmov r0, t0\nphase\n", 4, "phase is not available in ps_1_1");
  ExpectRefused("ps_1_1\ntexld r0, t0\n", 2, "texld is not available");
  ExpectRefused("ps_1_4\ntex t0\n", 2, "tex is not available in ps_1_4");
  ExpectRefused("ps_1_4\ntexld r0, t0\nphase\nmov r0, r0\nphase\n", 5, "at most one phase");
  // ps_1_2 brings dp4.
  EXPECT_TRUE(AssembleShader("ps_1_2\ntex t0\ndp4 r0, t0, c0").ok());
}

TEST(ShaderRules, RegistersAndModifiersMustExistInTheVersion) {
  ExpectRefused("ps_1_1\nmov r2, c0\n", 2, "r2 does not exist in ps_1_1");
  ExpectRefused("ps_1_1\nmov r0, c8\n", 2, "c8 does not exist");
  ExpectRefused("ps_1_1\ntex t4\n", 2, "t4 does not exist");
  ExpectRefused("ps_1_1\nmov r0.rg, c0\n", 2, "write mask '.rg' is not available in ps_1_1");
  ExpectRefused("ps_1_4\nmov r0.gr, c0\n", 2, "write mask '.gr' is not valid");
  ExpectRefused("ps_1_1\nmov r0, c0.r\n", 2, "swizzle '.r' is not available in ps_1_1");
  ExpectRefused("ps_1_4\nmov r0, c0.yx\n", 2, "swizzle '.yx' is not available");
  ExpectRefused("ps_1_1\nmov_x8 r0, c0\n", 2, "_x8 is not available in ps_1_1");
  ExpectRefused("ps_1_1\nmov r0, c0_x2\n", 2, "_x2 is not available in ps_1_1");
  ExpectRefused("ps_1_1\nmov_sat_sat r0, c0\n", 2, "_sat given twice");
  ExpectRefused("ps_1_1\nmov r0, c0_foo\n", 2, "unknown source modifier");
  ExpectRefused("ps_1_4\nmov r0, v0\n", 2, "only in the second phase");
  ExpectRefused("ps_1_4\ntexld r0, t0\nmov r0, t0\n", 3, "read only by texld");
  ExpectRefused("ps_1_4\ntexld r1, r0\n", 2, "needs the second phase");
}

TEST(ShaderRules, DataFlowAndOrder) {
  ExpectRefused("ps_1_1\ntex t0\nadd r0, r1, t0\n", 3, "r1 is read before it is written");
  ExpectRefused("ps_1_1\nmov r0, t1\n", 2, "t1 is read but never loaded");
  ExpectRefused("ps_1_1\nmad r0, c0, c1, c2\n", 2, "at most two constant registers");
  ExpectRefused("ps_1_1\nmov r0, c0\ndef c1, 1, 1, 1, 1\n", 3, "def must come before");
  ExpectRefused("ps_1_1\nmov r0, c0\ntex t0\n", 3, "tex must come before");
  ExpectRefused("ps_1_1\ntex t0\nmov r1, t0\n", 3, "r0, the shader's output, is never written");
  ExpectRefused("ps_1_4\ntexld r0, t0\nphase\ntexld r1, t0\n", 4, "never written after phase");
  ExpectRefused("ps_1_1\ndef c0, 1, x, 1, 1\n", 2, "'x' is not a number");
  ExpectRefused("ps_1_1\ndef c0, 1, 1, 1\n", 2, "four values");
  ExpectRefused("ps_1_1\ntex t0\ntex t0\n", 3, "loaded twice");
  ExpectRefused("ps_1_1\nmov r0, c0, c1\n", 2, "mov needs a destination and 1 source");
}

TEST(ShaderRules, SourceErrorsNameTheirLine) {
  ExpectRefused("; comment only\n\n  tex t0\n", 3, "expected the version");
  ExpectRefused("", 1, "no version statement");
  ExpectRefused("ps_1_1\n\n// note\nlrp r0, c0, c1, c2\n", 4, "unknown instruction 'lrp'");
  ExpectRefused("ps_1_1\n.float4 A c0\n.float4 A c1\n", 3, "declared twice");
  ExpectRefused("ps_1_1\n.float4 A c0\n.float3 B c0\n", 3, "c0 is declared twice");
  ExpectRefused("ps_1_1\n.sampler t c0\n", 2, "expected a sampler register");
  ExpectRefused("ps_1_1\n.int4 n c0\n", 2, "unknown directive");
  ExpectRefused("ps_1_1\n+mov r0.a, c0\n", 2, "co-issued");
}

TEST(ProductShaders, AssembleWithTheirVersionsAndTables) {
  struct Expected {
    const char* file;
    uint32_t version;
    std::map<std::string, std::pair<uint16_t, uint16_t>> constants;  // name: set, index
    uint16_t lumaColumns;
  };
  const Expected shaders[] = {
      {"original.psh", kPs11, {{"texture0", {3, 0}}}, 0},
      {"black_white.psh", kPs11, {{"texture0", {3, 0}}, {"RGB2BW", {2, 0}}}, 3},
      {"tint_ps11.psh", kPs11, {{"texture0", {3, 0}}, {"RGB2BW", {2, 0}}, {"SEPIA_OFFSET", {2, 1}}}, 4},
      {"tint_ps14.psh",
       kPs14,
       {{"texture0", {3, 0}}, {"texture2", {3, 2}}, {"RGB2BW", {2, 0}}, {"SEPIA_OFFSET", {2, 1}}},
       4},
  };
  for (const Expected& e : shaders) {
    SCOPED_TRACE(e.file);
    ShaderAssembly shader = AssembleShader(ReadSource(e.file));
    ASSERT_TRUE(shader.ok()) << "line " << shader.errorLine << ": " << shader.error;
    EXPECT_EQ(shader.tokens[0], e.version);
    auto table = ReadTable(shader);
    ASSERT_EQ(table.size(), e.constants.size());
    for (const auto& [name, reg] : e.constants) {
      ASSERT_TRUE(table.count(name)) << name;
      EXPECT_EQ(table[name].set, reg.first) << name;
      EXPECT_EQ(table[name].index, reg.second) << name;
    }
    if (e.lumaColumns) {
      EXPECT_EQ(table["RGB2BW"].columns, e.lumaColumns);
    }
  }
}

TEST(ProductShaders, TheOneOneTintUsesDp3AndTheFixedWeights) {
  Tokens body = Body(AssembleShader(ReadSource("tint_ps11.psh")));
  bool dp3 = false;
  for (size_t i = 0; i < body.size(); ++i) {
    EXPECT_NE(body[i], 0x09u) << "dp4 at token " << i;
    dp3 = dp3 || body[i] == 0x08u;
  }
  EXPECT_TRUE(dp3);
  // 0.7 in c2 and 0.3 in c3.
  EXPECT_EQ(Tokens(body.begin(), body.begin() + 12),
            (Tokens{0x51, 0xA00F0002, 0x3F333333, 0x3F333333, 0x3F333333, 0x3F333333,  //
                    0x51, 0xA00F0003, 0x3E99999A, 0x3E99999A, 0x3E99999A, 0x3E99999A}));
}
