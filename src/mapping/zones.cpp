#include "mapping/zones.hpp"

#include <cstdint>

#include "host/addresses.hpp"

namespace vexilo {

namespace {

// The order is the contract with every mapping file users have written.
// Constant data the compiler can read, so that it builds the lookup hash.
constexpr const char* kZoneLabels[kZoneCount] = {
    "LA",     "RIH1A",  "RIH1B",  "RIH2",   "RIH3A",  "RIH3B",  "RIH4",
    "RIH5A",  "RIH5B",  "RIH6A",  // 0
    "RIH6B",  "MUL1A",  "MUL1B",  "MUL1C",  "MUL2A",  "MUL2B",  "MUL3",
    "MUL4",   "MUL5A",  "MUL5B",  // 10
    "MUL5C",  "MUL6",   "MUL7A",  "MUL7B",  "MULINT", "SUN1",   "SUN2",
    "SUN3A",  "SUN3B",  "SUN3C",  // 20
    "SUN4",   "CHC1A",  "CHC1B",  "CHC2A",  "CHC2B",  "CHC3",   "CHC4A",
    "CHC4B",  "VIN1A",  "VIN1B",  // 30
    "VIN2",   "VIN3",   "LDT1A",  "LDT1B",  "LDT1C",  "LDT3",   "LDT4",
    "LDT5",   "LDT6",   "LDT7",  // 40
    "LDT8",   "GLN1",   "GLN1B",  "GLN2A",  "LFL1A",  "LFL1B",  "MKT1",
    "MKT2",   "MKT3",   "MKT4",  // 50
    "MARKST", "JEF1A",  "JEF1B",  "JEF2",   "JEF3A",  "JEF3B",  "JEF3C",
    "ROD1A",  "ROD1B",  "ROD1C",  // 60
    "ROD2A",  "ROD2B",  "ROD3A",  "ROD3B",  "ROD4A",  "ROD4B",  "ROD4C",
    "ROD5A",  "ROD5B",  "MAR1",  // 70
    "MAR2",   "MAR3",   "THALL1", "COM1A",  "COM1B",  "COM2",   "COM3",
    "COM4",   "ELS1A",  "ELS1B",  // 80
    "ELS2",   "ELS3A",  "ELS3B",  "ELS3C",  "ELS4",   "EBE1",   "EBE2A",
    "EBE2B",  "EBE3C",  "PER1",  // 90
    "IWD1",   "IWD2",   "IWD3A",  "IWD3B",  "IWD4",   "IWD5",   "GAN1",
    "GAN2",   "CONF1A", "CONF1B",  // 100
    "CITYS",  "LMEX1A", "LMEX1B", "UNITY",  "SMB1",   "SMB2",   "VERO1",
    "VERO2",  "VERO3",  "VERO4A",  // 110
    "VERO4B", "LIND1A", "LIND1B", "LIND2A", "LIND2B", "LIND3",  "LIND4A",
    "LIND4C", "ELCO1",  "ELCO2",  // 120
    "PLS",    "BLUF1A", "BLUF1B", "BLUF2",  "LAIR1",  "LAIR2A", "LAIR2B",
    "LBAG1",  "LBAG2",  "LBAG3",  // 130
    "LDOC1A", "LDOC1B", "LDOC2",  "LDOC3A", "LDOC3B", "LDOC3C", "LDOC4",
    "RED",    "MONT",   "MONT1",  // 140
    "MONINT", "HBARNS", "HANKY",  "BLUAC",  "FERN",   "PANOP",  "PALO",
    "BLUEB",  "BLUEB1", "TOPFA",  // 150
    "NROCK",  "DILLI",  "SF",     "BATTP",  "ESPN1",  "ESPN2",  "ESPN3",
    "ESPE1",  "ESPE2",  "ESPE3",  // 160
    "JUNIHO", "SFDWT1", "SFDWT2", "SFDWT3", "SFDWT4", "SFDWT5", "SFDWT6",
    "PARA",   "CALT",   "FINA",  // 170
    "BAYV",   "JUNIHI", "CHINA",  "CIVI",   "WESTP1", "WESTP2", "WESTP3",
    "CITYS",  "THEA1",  "THEA2",  // 180
    "THEA3",  "EASB1",  "EASB2",  "GARC",   "SFGLF3", "CRANB",  "OCEAF1",
    "OCEAF2", "OCEAF3", "HASH",  // 190
    "DOH1",   "DOH2",   "SFBAG2", "SFBAG3", "SFBAG1", "SFAIR1", "SFAIR2",
    "SFAIR3", "SFAIR4", "SFAIR5",  // 200
    "FLINTC", "CUNTC1", "CUNTC2", "CUNTC3", "SFGLF1", "SFGLF2", "SFGLF4",
    "HAUL",   "HILLP",  "EBAY",  // 210
    "EBAY2",  "ETUNN",  "SILLY1", "SILLY2", "SILLY3", "SILLY4", "FARM",
    "BEACO",  "FLINTI", "FLINTR",  // 220
    "LEAFY",  "BACKO",  "WHET",   "MTCHI1", "MTCHI2", "MTCHI3", "MTCHI4",
    "CREEK",  "CREEK1", "SHACA",  // 230
    "ANGPI",  "VE",     "YBELL1", "YBELL2", "SPIN",   "KACC",   "PRP1",
    "PRP2",   "PRP3",   "PRP4",  // 240
    "YELLOW", "JTN1",   "JTN2",   "JTN3",   "JTN4",   "JTN5",   "JTN6",
    "JTN7",   "JTN8",   "PINT",  // 250
    "ISLE",   "ROCE1",  "ROCE2",  "WWE",    "WWE1",   "OVS",    "CREE",
    "REDE1",  "REDE2",  "REDE3",  // 260
    "REDW1",  "REDW2",  "REDW3",  "REDW4",  "HGP",    "STRIP1", "STRIP2",
    "JTW1",   "JTW2",   "VISA1",  // 270
    "VISA2",  "STAR1",  "STAR2",  "CONST1", "RING",   "SRY",    "JTE1",
    "JTE2",   "JTE3",   "JTE4",  // 280
    "BFLD1",  "BFLD2",  "CALI1",  "CALI2",  "VAIR1",  "VAIR2",  "VAIR3",
    "LVBAG",  "PIRA",   "ROY",  // 290
    "PILL1",  "PILL2",  "LST",    "LINDEN", "HIGH",   "STRIP3", "STRIP4",
    "PINK",   "CAM",    "GGC1",  // 300
    "GGC2",   "LDS",    "LVA1",   "LVA2",   "LVA3",   "LVA4",   "LVA5",
    "DRAG",   "LOT",    "BINT1",  // 310
    "BINT2",  "BINT3",  "BINT4",  "JTS1",   "JTS2",   "BFC1",   "BFC2",
    "RIE",    "LDM",    "RSE",  // 320
    "RSW1",   "ROBAD",  "ROBAD1", "ELQUE",  "SUNNN",  "BYTUN",  "ALDEA",
    "SUNMA",  "BARRA",  "ROBINT",  // 330
    "BONE",   "PAYAS",  "VALLE",  "ELCA",   "ELCA1",  "ELCA2",  "ARCO",
    "MEAD",   "BRUJA",  "TOM",  // 340
    "REST",   "BIGE",   "PALMS",  "OCTAN",  "PROBE",  "CARSO",  "QUARY",
    "LSINL",  "FLINW",  "FISH",  // 350
    "SANB1",  "SANB2",  "SHERR",  "SASO",   "GANTB",  "GANTB1", "DAM",
    "GARV",   "GARV1",  "GARV2",                                         // 360
    "KINC",   "KINC1",  "KINC2",  "FALLO",  "MART",   "MAKO",   "FRED",  // 370
};

}  // namespace

const char* const (&zoneNames)[kZoneCount] = kZoneLabels;

namespace zone_lookup {
namespace {

constexpr LabelKey KeyOf(const char* label) {
  LabelKey key{0, 0};
  for (std::uint32_t i = 0; i < host::kZoneLabelSize && label[i] != '\0'; ++i) {
    const std::uint32_t byte = static_cast<unsigned char>(label[i]);
    if (i < 4)
      key.low |= byte << (8 * i);
    else
      key.high |= byte << (8 * (i - 4));
  }
  return key;
}

// The multipliers in SlotOf were found by trying random odd pairs until no
// two labels shared a slot; this checks that they still do not.
constexpr ZoneHash BuildZoneHash() {
  ZoneHash hash{};
  bool taken[kSlots]{};
  hash.perfect = true;
  for (std::int32_t zone = 0; zone < kZoneCount; ++zone) {
    const LabelKey key = KeyOf(kZoneLabels[zone]);
    hash.keys[zone] = key;
    const std::uint32_t slot = SlotOf(key);
    if (!taken[slot]) {
      taken[slot] = true;
      hash.zoneAt[slot] = static_cast<std::uint16_t>(zone);
      continue;
    }
    // A label standing twice keeps its first index; any other meeting is a collision.
    const LabelKey& there = hash.keys[hash.zoneAt[slot]];
    if (there.low != key.low || there.high != key.high) hash.perfect = false;
  }
  return hash;
}

constexpr ZoneHash kZoneHash = BuildZoneHash();
static_assert(kZoneHash.perfect, "two labels share a hash slot: choose new multipliers in SlotOf");

}  // namespace

const ZoneHash zoneHash = kZoneHash;

std::int32_t ZoneOfLabelBytes(const char* label) { return ZoneOfKey(KeyOf(label)); }

}  // namespace zone_lookup
namespace {
// ASCII only: what a letter is must not hang on the player's locale.
bool IsLetter(char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

std::int32_t ZoneOfLabelField(std::string_view field) {
  const std::size_t first = field.find_first_not_of(" \t");
  if (first == std::string_view::npos) return kNoZone;
  field = field.substr(first, field.find_last_not_of(" \t") - first + 1);
  // Longer than any label: no copy, so no field can outgrow the buffer.
  if (field.size() > host::kZoneLabelSize) return kNoZone;
  char label[host::kZoneLabelSize + 1] = {};
  for (std::size_t at = 0; at < field.size(); ++at) {
    if (!IsLetter(field[at]) && !IsDigit(field[at])) return kNoZone;
    label[at] = IsLetter(field[at]) ? static_cast<char>(field[at] & ~0x20) : field[at];
  }
  return zone_lookup::ZoneOfLabelBytes(label);
}

}  // namespace vexilo
