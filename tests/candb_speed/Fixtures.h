// CANdb texts that reach the corners of the reader and the conversion: names
// of both cases and of double-byte characters, repeated names, every
// multiplex form, float and range lines for repeated and missing signals,
// J1939 defaults and values in every order, quoted text over several lines,
// numbers in unusual forms, a full record table, and repeated attribute lines.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace candbfix {

inline std::string Repeat(const std::string& line, int times) {
  std::string out;
  for (int k = 0; k < times; ++k) out += line;
  return out;
}

inline std::string Corners() {
  std::string t =
      "VERSION \"x\"\n\nNS_ :\n\tBO_\n\tSG_\n\tBA_DEF_\n\nBS_:\n\nBU_: A b \x83\x65\x83\x58\x83\x67\n\n"
      "BA_DEF_DEF_ \"ProtocolType\" \"J1939\";\n"
      "BO_ 100 Engine: 8 A\n"
      " SG_ Speed : 7|16@0+ (0.1,0) [0|6553.5] \"km/h\" b\n"
      " SG_ speed : 23|16@0- (.5,-1) [ -1 | 2 ] \"k m\" b\n"
      " SG_ Mode M : 0|4@1+ (1,0) [0|15] \"\" b\n"
      " SG_ Temp m3 : 8|8@1- (1,-40) [-40|215] \"degC\" b\n"
      " SG_ Temp2 m0x10 : 16|8@1- (1e3,+4) [-1E31|1e31] \"\" b\n"
      " SG_ Sub m4M : 24|4@1+ (1,0) [0|0] \"\" b\n"
      " SG_ Deep m5 : 28|4@1+ (1,0) [0|0] \"\" b\n"
      " SG_ Speed : 40|8@1+ (2,0) [0|0] \"rpm\" b\n"
      " SG_ NoUnit : 48|8@1+ (1,0) [0|1] \"open\n"
      " SG_ Neg : -3|99999@1+ (1,0) [0|0] \"\" b\n"
      "BO_ 2566844926 J1939Msg: 64 b\n"
      " SG_ Val : 0|32@1- (1,0) [0|0] \"\" A\n"
      " SG_ Val2 : 32|64@1- (1,0) [0|0] \"\" A\n"
      "BO_ 1073741925 Bit30: 8 A\n"
      " SG_ Hidden : 0|8@1+ (1,0) [0|0] \"\" A\n"
      "BO_ 3221225472 VECTOR__INDEPENDENT_SIG_MSG: 0 Vector__XXX\n"
      " SG_ Free : 0|8@1+ (1,0) [0|0] \"\" A\n"
      "BO_ 200 Empty: 0 A\n"
      "BO_ 201 Huge: 100 A\n"
      " SG_ InHuge : 500|40@0+ (1,0) [0|0] \"\" A\n"
      "BO_ 202 \x83\x65\x83\x58\x83\x67\x83\x81\x83\x62\x83\x5a\x81\x5b\x83\x57: 8 \x83\x65\x83\x58\x83\x67\n"
      " SG_ \x83\x56\x83\x4f\x83\x69\x83\x8b : 0|8@1+ (1,0) [0|0] \"\x81\x8e\" A\n"
      " SG_ abcdefghijklmnopqrstuvwxyz0123456789 : 8|8@1+ (1,0) [0|0] \"abcdefghijklmnopqrstuvwxyz0123456789\" A\n"
      " SG_ abcdefghijklmnopqrstuvwxyz012345\x83\x65 : 16|8@1+ (1,0) [0|0] \"\" A\n"
      "BO_ 203 engine: 8 A\n"
      " SG_ Lower : 0|8@1+ (1,0) [0|0] \"\" A\n"
      "BO_ 204 Pending: 8 A\n"
      "BO_ 205 Pending2: 2 A\n"
      "BO_ 300 Mux2: 8 A\n"
      " SG_ S1 M : 0|8@1+ (1,0) [0|0] \"\" A\n"
      " SG_ S2 M : 8|8@1+ (1,0) [0|0] \"\" A\n"
      " SG_ A1 m1 : 16|8@1+ (1,0) [0|0] \"\" A\n"
      " SG_ A2 m2 : 24|8@1+ (1,0) [0|0] \"\" A\n"
      " SG_ A3 m1 : 32|8@1+ (1,0) [0|0] \"\" A\n"
      "BO_ 301 Mux3: 8 A\n"
      " SG_ Bad m : 0|8@1+ (1,0) [0|0] \"\" A\n"
      " SG_ Bad2 mX : 8|8@1+ (1,0) [0|0] \"\" A\n"
      "\n"
      "CM_ SG_ 100 Speed \"multi\nline BO_ 1 X: 8 Y\n SG_ Z : 0|1@1+ (1,0) [0|0] \"\" A\nend \\\" still\";\n"
      "CM_ \"a \\\\\";\n"
      "BA_DEF_ BO_ \"VFrameFormat\" ENUM \"StandardCAN\",\"ExtendedCAN\",\"reserved\",\"J1939PG\";\n"
      "BA_DEF_DEF_ \"VFrameFormat\" \"StandardCAN\";\n"
      "BA_ \"VFrameFormat\" BO_ 100 0;\n"
      "BA_ \"VFrameFormat\" BO_ 2566844926 3;\n"
      "BA_ \"VFrameFormat\" BO_ 204 3;\n"
      "BA_DEF_DEF_ \"ProtocolType\" \"J1939\";\n"
      "BA_ \"VFrameFormat\" BO_ 300 0;\n"
      "BA_ \"VFrameFormat\" BO_ 205 3;\n"
      "SIG_VALTYPE_ 2566844926 Val : 1;\n"
      "SIG_VALTYPE_ 2566844926 Val2 : 2;\n"
      "SIG_VALTYPE_ 100 Speed : 1;\n"
      "SIG_VALTYPE_ 100 Mode : 0;\n"
      "SIG_VALTYPE_ 999 Speed : 1;\n"
      "SIG_VALTYPE_ 100 Nothing : 1;\n"
      "SIG_VALTYPE_ 100 abcdefghijklmnopqrstuvwxyz0123456789ABC : 1;\n"
      "SIG_VALTYPE_ 202 abcdefghijklmnopqrstuvwxyz0123456789ABC : 1;\n"
      "SIG_VALTYPE_ 100\n"
      "SG_MUL_VAL_ 100 Temp Mode 3-3, 5-10;\n"
      "SG_MUL_VAL_ 100 Speed Mode 1-2;\n"
      "SG_MUL_VAL_ 100 Deep Sub 7-7 ;\n"
      "SG_MUL_VAL_ 100 Temp2 Mode ;\n"
      "SG_MUL_VAL_ 300 A3 S2 1-1;\n"
      "SG_MUL_VAL_ 999 A3 S2 1-1;\n"
      "BA_ \"VFrameFormat\" BO_ 203 3;\n"
      "  BO_ 400 Indented: 4 A\n"
      "\tSG_ Tab : 0|8@1+ (1,0) [0|0] \"\" A\n"
      "BO_\n"
      "SG_\n"
      "BO_ 401 Trailing:8 A\n"
      " SG_ T1:0|8@1+ (1,0) [0|0] \"\" A\n"
      " SG_ T2 :0|8@1+ (1,0)[0|0]\"u\" A\n"
      " SG_ " +
      std::string(1500, 'L') + " : 0|8@1+ (1,0) [0|0] \"" + std::string(1200, 'u') +
      "\" A\n"
      "BO_ 402 Last: 3 A\n";
  return t;
}

// Attribute lines repeated between and after the signals, for a message of
// many signals and for repeated names.
inline std::string RepeatedAttributes() {
  std::string t = "BU_: N\nBA_DEF_ BO_ \"VFrameFormat\" ENUM \"a\",\"J1939PG\";\nBO_ 256 Big: 8 N\n";
  for (int s = 0; s < 60; ++s)
    t += " SG_ S" + std::to_string(s % 40) + " : " + std::to_string(s % 32) + "|8@1+ (1,0) [0|0] \"\" N\n";
  t += Repeat("BA_DEF_DEF_ \"ProtocolType\" \"J1939\";\n", 3);
  t += "BA_ \"VFrameFormat\" BO_ 256 0;\n";
  t += "BO_ 257 Small: 8 N\n SG_ S1 : 0|8@1+ (1,0) [0|0] \"\" N\n";
  for (int k = 0; k < 90; ++k) {
    t += "SIG_VALTYPE_ 256 S" + std::to_string(k % 45) + " : " + std::to_string(k % 3) + ";\n";
    if (k % 7 == 0) t += "BA_DEF_DEF_ \"ProtocolType\" \"J1939\";\n";
    if (k % 11 == 0) t += "BA_ \"VFrameFormat\" BO_ " + std::string(k % 2 ? "256" : "257") + " 0;\n";
    if (k % 13 == 0) t += "BA_ \"VFrameFormat\" BO_ 257 1;\n";
    if (k % 17 == 0)
      t += "SG_MUL_VAL_ 256 S" + std::to_string(k % 40) + " S0 " + std::to_string(k) + "-" + std::to_string(k + 1) +
           ";\n";
  }
  t += "BO_ 258 After: 8 N\n SG_ S1 : 0|8@1+ (1,0) [0|0] \"\" N\nBO_ 259 Bare: 8 N\n";
  t += "BA_DEF_DEF_ \"ProtocolType\" \"J1939\";\nSIG_VALTYPE_ 258 S1 : 1;\n";
  return t;
}

// More signal lines than the table holds, with attribute lines before the end.
inline std::string FullTable() {
  std::string t = "BA_DEF_ BO_ \"VFrameFormat\" ENUM \"J1939PG\";\n";
  for (int m = 0; m < 520; ++m) {
    t += "BO_ " + std::to_string(m) + " M" + std::to_string(m) + ": 8 N" + std::to_string(m % 3) + "\n";
    for (int s = 0; s < 10; ++s)
      t += " SG_ S" + std::to_string(s) + " : " + std::to_string(s * 6) + "|6@0+ (1,0) [0|63] \"\" N\n";
    if (m % 50 == 0)
      t += "BA_ \"VFrameFormat\" BO_ " + std::to_string(m) + " 0;\nSIG_VALTYPE_ " + std::to_string(m) + " S3 : 1;\n";
  }
  return t;
}

inline std::vector<std::pair<std::string, std::string>> Fixtures() {
  return {
      {"corners.dbc", Corners()},
      {"repeated_attributes.dbc", RepeatedAttributes()},
      {"full_table.dbc", FullTable()},
      {"empty.dbc", ""},
      {"only_messages.dbc", "BO_ 1 A: 0 N\nBO_ 2 B: 64 N\r\nBO_ 3 C: 32 N\x1A"},
      {"crlf.dbc",
       "BO_ 1 A: 8 N\r\n SG_ X m1 : 0|8@0- (1,0) [0|1] \"u\" N\r\n SG_ Y M : 8|8@1+ (1,0) [0|1] \"u\" N\r\n"},
  };
}

}  // namespace candbfix
