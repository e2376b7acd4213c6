#include "tools/shader_asm.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>
#include <set>

namespace {

// Token layout of the Direct3D 9 shader format.
constexpr uint32_t kParamBit = 0x80000000u;
constexpr uint32_t kEndToken = 0x0000FFFFu;
constexpr uint32_t kCommentOpcode = 0xFFFEu;
constexpr uint32_t kPhaseToken = 0x0000FFFDu;
constexpr uint32_t kFullMask = 0xFu;
constexpr uint32_t kIdentitySwizzle = 0xE4u;

enum RegType : uint32_t { kTemp = 0, kInput = 1, kConst = 2, kTexture = 3 };
enum Opcode : uint32_t {
  kMov = 1,
  kAdd = 2,
  kMad = 4,
  kMul = 5,
  kDp3 = 8,
  kDp4 = 9,
  kTex = 0x42,
  kDef = 0x51,
};
enum SrcMod : uint32_t {
  kNone = 0,
  kNeg = 1,
  kBias = 2,
  kBiasNeg = 3,
  kSign = 4,
  kSignNeg = 5,
  kComp = 6,
  kX2 = 7,
  kX2Neg = 8,
};

uint32_t RegisterBits(uint32_t type, uint32_t index) { return ((type & 7u) << 28) | ((type & 0x18u) << 8) | index; }

struct Failure {
  std::string message;
};

std::string Trim(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
  return std::string(text.substr(b, e - b));
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::vector<std::string> SplitOperands(std::string_view text) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == ',') {
      parts.push_back(Trim(text.substr(start, i - start)));
      start = i + 1;
    }
  }
  if (parts.size() == 1 && parts[0].empty()) parts.clear();
  return parts;
}

struct Register {
  char kind;  // r c t v s
  uint32_t index;
};

// "r0", "c7"... The number must be plain decimal.
std::optional<Register> ParseRegisterName(std::string_view text) {
  if (text.size() < 2 || !std::strchr("rctvs", text[0])) return std::nullopt;
  uint32_t index = 0;
  auto [end, ec] = std::from_chars(text.data() + 1, text.data() + text.size(), index);
  if (ec != std::errc() || end != text.data() + text.size() || index > 31) return std::nullopt;
  return Register{text[0], index};
}

int ComponentOf(char c) {
  switch (c) {
    case 'x':
    case 'r':
      return 0;
    case 'y':
    case 'g':
      return 1;
    case 'z':
    case 'b':
      return 2;
    case 'w':
    case 'a':
      return 3;
    default:
      return -1;
  }
}

class Assembler {
 public:
  void Statement(const std::string& line) {
    if (!haveVersion_) return Version(line);
    if (line[0] == '.') return Directive(line);
    if (line[0] == '+') throw Failure{"co-issued instructions are not supported"};
    size_t space = line.find_first_of(" \t");
    std::string mnemonic = Lower(line.substr(0, space));
    auto operands =
        SplitOperands(space == std::string::npos ? std::string_view{} : std::string_view(line).substr(space));
    std::string base = mnemonic.substr(0, mnemonic.find('_'));
    std::string modifiers = base.size() < mnemonic.size() ? mnemonic.substr(base.size()) : "";

    if (base == "def") return Def(modifiers, operands);
    if (base == "phase") return Phase(modifiers, operands);
    if (base == "tex") return Tex(modifiers, operands);
    if (base == "texld") return TexLd(modifiers, operands);
    static const std::map<std::string, std::pair<uint32_t, int>> arithmetic = {
        {"mov", {kMov, 1}}, {"add", {kAdd, 2}}, {"mul", {kMul, 2}},
        {"mad", {kMad, 3}}, {"dp3", {kDp3, 2}}, {"dp4", {kDp4, 2}},
    };
    auto found = arithmetic.find(base);
    if (found == arithmetic.end()) throw Failure{"unknown instruction '" + base + "'"};
    Arithmetic(base, found->second.first, found->second.second, modifiers, operands);
  }

  void Finish() {
    if (!haveVersion_) throw Failure{"no version statement (such as ps_1_1)"};
    if (!r0WrittenThisPhase_)
      throw Failure{"r0, the shader's output, is never written" + std::string(phase_ ? " after phase" : "")};
  }

  std::vector<uint32_t> Tokens() const {
    std::vector<uint32_t> tokens{versionToken_};
    auto table = ConstantTable();
    tokens.push_back(kCommentOpcode | (static_cast<uint32_t>(table.size()) << 16));
    tokens.insert(tokens.end(), table.begin(), table.end());
    tokens.insert(tokens.end(), body_.begin(), body_.end());
    tokens.push_back(kEndToken);
    return tokens;
  }

 private:
  bool Is14() const { return minor_ == 4; }
  std::string VersionName() const { return "ps_1_" + std::to_string(minor_); }

  void Version(const std::string& line) {
    std::string v = Lower(line);
    if (v.size() != 6 || v.compare(0, 5, "ps_1_") != 0 || v[5] < '1' || v[5] > '4')
      throw Failure{"expected the version (ps_1_1 to ps_1_4) first, found '" + line + "'"};
    minor_ = v[5] - '0';
    versionToken_ = 0xFFFF0100u | static_cast<uint32_t>(minor_);
    haveVersion_ = true;
  }

  uint32_t TempCount() const { return Is14() ? 6 : 2; }
  uint32_t TextureCount() const { return Is14() ? 6 : 4; }

  void CheckIndex(const Register& reg, const std::string& text) const {
    uint32_t limit = reg.kind == 'r' ? TempCount() : reg.kind == 'c' ? 8 : reg.kind == 'v' ? 2 : TextureCount();
    if (reg.index >= limit) throw Failure{"register " + text + " does not exist in " + VersionName()};
  }

  Register ExpectRegister(const std::string& text, const char* kinds, const char* what) {
    auto reg = ParseRegisterName(Lower(text));
    if (!reg || !std::strchr(kinds, reg->kind))
      throw Failure{std::string("expected ") + what + ", found '" + text + "'"};
    CheckIndex(*reg, text);
    return *reg;
  }

  void Directive(const std::string& line) {
    std::string rest = line.substr(1);
    size_t a = rest.find_first_of(" \t");
    std::string kind = Lower(rest.substr(0, a));
    std::string args = a == std::string::npos ? "" : Trim(rest.substr(a));
    size_t b = args.find_first_of(" \t");
    std::string name = args.substr(0, b);
    std::string reg = b == std::string::npos ? "" : Trim(args.substr(b));
    Entry e;
    if (kind == "sampler" || kind == "sampler2d") {
      Register r = ExpectRegister(reg, "s", "a sampler register sN");
      e = {name, 3, r.index, 4, kind == "sampler" ? 10u : 12u, 1};
    } else if (kind == "float3" || kind == "float4") {
      Register r = ExpectRegister(reg, "c", "a constant register cN");
      e = {name, 2, r.index, 1, 3, kind == "float3" ? 3u : 4u};
    } else {
      throw Failure{"unknown directive '." + kind + "'"};
    }
    if (name.empty() || !(std::isalpha(static_cast<unsigned char>(name[0])) || name[0] == '_'))
      throw Failure{"a constant needs a name"};
    for (const Entry& other : entries_) {
      if (other.name == name) throw Failure{"constant '" + name + "' is declared twice"};
      if (other.set == e.set && other.index == e.index) throw Failure{"register " + reg + " is declared twice"};
    }
    entries_.push_back(e);
  }

  void NoModifiers(const std::string& modifiers, const std::string& base) const {
    if (!modifiers.empty()) throw Failure{base + " takes no modifiers"};
  }

  void Def(const std::string& modifiers, const std::vector<std::string>& operands) {
    NoModifiers(modifiers, "def");
    if (started_) throw Failure{"def must come before the first instruction"};
    if (operands.size() != 5) throw Failure{"def needs a constant register and four values"};
    Register c = ExpectRegister(operands[0], "c", "a constant register cN");
    body_.push_back(kDef);
    body_.push_back(kParamBit | RegisterBits(kConst, c.index) | (kFullMask << 16));
    for (int i = 1; i <= 4; ++i) {
      const std::string& text = operands[i];
      float value = 0.0f;
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
      if (ec != std::errc() || end != text.data() + text.size()) throw Failure{"'" + text + "' is not a number"};
      uint32_t bits;
      std::memcpy(&bits, &value, sizeof bits);
      body_.push_back(bits);
    }
  }

  void Phase(const std::string& modifiers, const std::vector<std::string>& operands) {
    NoModifiers(modifiers, "phase");
    if (!Is14()) throw Failure{"phase is not available in " + VersionName() + " (it needs ps_1_4)"};
    if (!operands.empty()) throw Failure{"phase takes no operands"};
    if (phase_) throw Failure{"a shader has at most one phase"};
    phase_ = true;
    started_ = true;
    textureOps_ = arithmeticOps_ = 0;
    r0WrittenThisPhase_ = false;
    body_.push_back(kPhaseToken);
  }

  void CountTexture() {
    if (arithmeticOps_ > 0)
      throw Failure{Is14() ? "texld must come before the arithmetic instructions of its phase"
                           : "tex must come before the arithmetic instructions"};
    if (++textureOps_ > (Is14() ? 6 : 4)) throw Failure{"too many texture instructions for " + VersionName()};
    started_ = true;
  }

  void Tex(const std::string& modifiers, const std::vector<std::string>& operands) {
    if (Is14()) throw Failure{"tex is not available in ps_1_4 (use texld)"};
    NoModifiers(modifiers, "tex");
    if (operands.size() != 1) throw Failure{"tex needs one texture register"};
    Register t = ExpectRegister(operands[0], "t", "a texture register tN");
    CountTexture();
    if (!loadedTextures_.insert(t.index).second) throw Failure{"texture register " + operands[0] + " is loaded twice"};
    body_.push_back(kTex);
    body_.push_back(kParamBit | RegisterBits(kTexture, t.index) | (kFullMask << 16));
  }

  void TexLd(const std::string& modifiers, const std::vector<std::string>& operands) {
    if (!Is14()) throw Failure{"texld is not available in " + VersionName() + " (use tex)"};
    NoModifiers(modifiers, "texld");
    if (operands.size() != 2) throw Failure{"texld needs a destination and a source"};
    Register dst = ExpectRegister(operands[0], "r", "a temporary register rN");
    Register src = ExpectRegister(operands[1], "rt", "a texture coordinate tN or a temporary rN");
    if (src.kind == 'r') {
      if (!phase_) throw Failure{"texld from a temporary register needs the second phase"};
      CheckWritten(src.index, operands[1]);
    }
    CountTexture();
    body_.push_back(kTex);
    body_.push_back(kParamBit | RegisterBits(kTemp, dst.index) | (kFullMask << 16));
    body_.push_back(kParamBit | RegisterBits(src.kind == 'r' ? kTemp : kTexture, src.index) | (kIdentitySwizzle << 16));
    MarkWritten(dst.index);
  }

  void CheckWritten(uint32_t index, const std::string& text) const {
    if (!writtenTemps_.count(index)) throw Failure{text + " is read before it is written"};
  }
  void MarkWritten(uint32_t index) {
    writtenTemps_.insert(index);
    if (index == 0) r0WrittenThisPhase_ = true;
  }

  uint32_t Destination(const std::string& text) {
    std::string t = Lower(text);
    size_t dot = t.find('.');
    std::string name = t.substr(0, dot);
    Register r = ExpectRegister(name, Is14() ? "r" : "rt", Is14() ? "a temporary register rN" : "a register rN or tN");
    uint32_t mask = kFullMask;
    if (dot != std::string::npos) {
      mask = 0;
      int last = -1;
      for (char c : t.substr(dot + 1)) {
        int k = ComponentOf(c);
        if (k <= last) throw Failure{"write mask '" + t.substr(dot) + "' is not valid"};
        last = k;
        mask |= 1u << k;
      }
      // Before 1.4 the colour and alpha pipes are written as wholes.
      if (!Is14() && mask != 0xF && mask != 0x7 && mask != 0x8)
        throw Failure{"write mask '" + t.substr(dot) + "' is not available in " + VersionName() +
                      " (use .rgba, .rgb or .a)"};
    }
    if (r.kind == 'r') {
      pendingWrite_ = static_cast<int>(r.index);
    } else {
      pendingTexture_ = static_cast<int>(r.index);
    }
    return kParamBit | RegisterBits(r.kind == 'r' ? kTemp : kTexture, r.index) | (mask << 16);
  }

  uint32_t Source(const std::string& text, std::set<uint32_t>& constants) {
    std::string t = Lower(text);
    uint32_t modifier = kNone;
    bool negate = false;
    if (t.compare(0, 2, "1-") == 0) {
      modifier = kComp;
      t = Trim(t.substr(2));
    } else if (!t.empty() && t[0] == '-') {
      negate = true;
      t = Trim(t.substr(1));
    }
    size_t dot = t.find('.');
    std::string swizzle = dot == std::string::npos ? "" : t.substr(dot + 1);
    t = t.substr(0, dot);
    size_t underscore = t.find('_');
    std::string suffix = underscore == std::string::npos ? "" : t.substr(underscore);
    t = t.substr(0, underscore);
    if (!suffix.empty()) {
      if (modifier == kComp) throw Failure{"1- cannot be combined with " + suffix};
      if (suffix == "_bias") {
        modifier = negate ? kBiasNeg : kBias;
      } else if (suffix == "_bx2") {
        modifier = negate ? kSignNeg : kSign;
      } else if (suffix == "_x2") {
        if (!Is14()) throw Failure{"source modifier _x2 is not available in " + VersionName()};
        modifier = negate ? kX2Neg : kX2;
      } else {
        throw Failure{"unknown source modifier '" + suffix + "'"};
      }
    } else if (negate) {
      modifier = kNeg;
    }

    Register r = ExpectRegister(t, "rctv", "a source register");
    uint32_t type = kTemp;
    switch (r.kind) {
      case 'r':
        CheckWritten(r.index, t);
        break;
      case 'c':
        type = kConst;
        constants.insert(r.index);
        break;
      case 't':
        if (Is14()) throw Failure{"texture registers are read only by texld in ps_1_4"};
        if (!loadedTextures_.count(r.index)) throw Failure{t + " is read but never loaded by tex"};
        type = kTexture;
        break;
      case 'v':
        if (Is14() && !phase_) throw Failure{"colour registers are available only in the second phase"};
        type = kInput;
        break;
    }

    uint32_t bits = kIdentitySwizzle;
    if (!swizzle.empty()) {
      if (swizzle.size() > 4) throw Failure{"swizzle '." + swizzle + "' is too long"};
      int comps[4];
      for (size_t i = 0; i < 4; ++i) {
        comps[i] = ComponentOf(swizzle[std::min(i, swizzle.size() - 1)]);
        if (comps[i] < 0) throw Failure{"swizzle '." + swizzle + "' is not valid"};
      }
      bits = static_cast<uint32_t>(comps[0] | comps[1] << 2 | comps[2] << 4 | comps[3] << 6);
      bool replicate = comps[0] == comps[1] && comps[1] == comps[2] && comps[2] == comps[3];
      bool allowed = bits == kIdentitySwizzle || (replicate && (Is14() || comps[0] == 3));
      if (!allowed)
        throw Failure{"swizzle '." + swizzle + "' is not available in " + VersionName() +
                      (Is14() ? " (only .r, .g, .b, .a)" : " (only .a)")};
    }
    return kParamBit | RegisterBits(type, r.index) | (bits << 16) | (modifier << 24);
  }

  void Arithmetic(const std::string& base, uint32_t opcode, int sources, const std::string& modifiers,
                  const std::vector<std::string>& operands) {
    if (opcode == kDp4 && minor_ < 2) throw Failure{"dp4 is not available in " + VersionName() + " (it needs ps_1_2)"};
    if (static_cast<int>(operands.size()) != sources + 1)
      throw Failure{base + " needs a destination and " + std::to_string(sources) + " source" +
                    (sources > 1 ? "s" : "")};

    uint32_t result = 0, shift = 0;
    size_t pos = 0;
    while (pos < modifiers.size()) {
      size_t next = modifiers.find('_', pos + 1);
      std::string m = modifiers.substr(pos, next == std::string::npos ? std::string::npos : next - pos);
      pos = next == std::string::npos ? modifiers.size() : next;
      static const std::map<std::string, uint32_t> shifts = {{"_x2", 1},  {"_x4", 2},  {"_x8", 3},
                                                             {"_d2", 15}, {"_d4", 14}, {"_d8", 13}};
      if (m == "_sat") {
        if (result) throw Failure{"_sat given twice"};
        result = 1;
      } else if (auto s = shifts.find(m); s != shifts.end()) {
        if (shift) throw Failure{"only one scale modifier per instruction"};
        if (!Is14() && (m == "_x8" || m == "_d4" || m == "_d8"))
          throw Failure{"modifier " + m + " is not available in " + VersionName()};
        shift = s->second;
      } else {
        throw Failure{"unknown instruction modifier '" + m + "'"};
      }
    }

    if (++arithmeticOps_ > 8) throw Failure{"too many arithmetic instructions for " + VersionName()};
    started_ = true;
    pendingWrite_ = pendingTexture_ = -1;
    uint32_t dst = Destination(operands[0]) | (result << 20) | (shift << 24);
    std::set<uint32_t> constants;
    std::vector<uint32_t> srcs;
    for (int i = 1; i <= sources; ++i) srcs.push_back(Source(operands[i], constants));
    if (constants.size() > 2) throw Failure{"an instruction reads at most two constant registers"};

    body_.push_back(opcode);
    body_.push_back(dst);
    body_.insert(body_.end(), srcs.begin(), srcs.end());
    if (pendingWrite_ >= 0) MarkWritten(static_cast<uint32_t>(pendingWrite_));
    if (pendingTexture_ >= 0) loadedTextures_.insert(static_cast<uint32_t>(pendingTexture_));
  }

  // The CTAB comment: header, entries, then type records and strings, all
  // offsets from the start of the header.
  std::vector<uint32_t> ConstantTable() const {
    std::vector<uint8_t> bytes;
    auto put16 = [&](size_t at, uint32_t v) {
      bytes[at] = static_cast<uint8_t>(v);
      bytes[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
      put16(at, v & 0xFFFF);
      put16(at + 2, v >> 16);
    };
    auto append = [&](size_t n) {
      size_t at = bytes.size();
      bytes.resize(at + ((n + 3) & ~size_t{3}), 0);
      return at;
    };
    auto appendString = [&](const std::string& s) {
      size_t at = append(s.size() + 1);
      std::memcpy(&bytes[at], s.c_str(), s.size() + 1);
      return static_cast<uint32_t>(at);
    };

    append(28);
    size_t infos = append(20 * entries_.size());
    put32(0, 28);
    put32(8, versionToken_);
    put32(12, static_cast<uint32_t>(entries_.size()));
    put32(16, static_cast<uint32_t>(infos));
    for (size_t i = 0; i < entries_.size(); ++i) {
      const Entry& e = entries_[i];
      size_t type = append(16);
      put16(type + 0, e.cls);
      put16(type + 2, e.type);
      put16(type + 4, 1);
      put16(type + 6, e.columns);
      put16(type + 8, 1);
      uint32_t name = appendString(e.name);
      size_t info = infos + 20 * i;
      put32(info, name);
      put16(info + 4, e.set);
      put16(info + 6, e.index);
      put16(info + 8, 1);
      put32(info + 12, static_cast<uint32_t>(type));
    }
    put32(4, appendString(kShaderCreator));
    put32(24, appendString(VersionName()));

    std::vector<uint32_t> tokens{0x42415443u};  // "CTAB"
    for (size_t i = 0; i < bytes.size(); i += 4)
      tokens.push_back(bytes[i] | bytes[i + 1] << 8 | bytes[i + 2] << 16 | static_cast<uint32_t>(bytes[i + 3]) << 24);
    return tokens;
  }

  struct Entry {
    std::string name;
    uint32_t set;  // D3DXRS_FLOAT4 2, D3DXRS_SAMPLER 3
    uint32_t index;
    uint32_t cls;   // D3DXPC_VECTOR 1, D3DXPC_OBJECT 4
    uint32_t type;  // D3DXPT_FLOAT 3, D3DXPT_SAMPLER 10, D3DXPT_SAMPLER2D 12
    uint32_t columns;
  };

  bool haveVersion_ = false;
  int minor_ = 0;
  uint32_t versionToken_ = 0;
  bool started_ = false;
  bool phase_ = false;
  int textureOps_ = 0;
  int arithmeticOps_ = 0;
  bool r0WrittenThisPhase_ = false;
  int pendingWrite_ = -1;
  int pendingTexture_ = -1;
  std::set<uint32_t> writtenTemps_;
  std::set<uint32_t> loadedTextures_;
  std::vector<Entry> entries_;
  std::vector<uint32_t> body_;
};

}  // namespace

ShaderAssembly AssembleShader(std::string_view source) {
  ShaderAssembly result;
  Assembler assembler;
  int lineNumber = 0;
  int lastStatement = 1;  // errors found at the end point at the last statement
  size_t pos = 0;
  try {
    while (pos <= source.size()) {
      size_t end = source.find('\n', pos);
      if (end == std::string_view::npos) end = source.size();
      std::string_view line = source.substr(pos, end - pos);
      pos = end + 1;
      ++lineNumber;
      size_t comment = std::min(line.find(';'), line.find("//"));
      std::string text = Trim(line.substr(0, comment));
      if (!text.empty()) {
        lastStatement = lineNumber;
        assembler.Statement(text);
      }
      if (end == source.size()) break;
    }
    lineNumber = lastStatement;
    assembler.Finish();
  } catch (const Failure& failure) {
    result.errorLine = lineNumber;
    result.error = failure.message;
    return result;
  }
  result.tokens = assembler.Tokens();
  return result;
}
