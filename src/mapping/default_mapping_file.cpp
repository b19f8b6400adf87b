#include "mapping/default_mapping_file.hpp"

namespace vexilo {
namespace {

struct DefaultLine {
  std::string_view text;
  std::string_view link;  // a web address that ends the line, if any
};

// Lines 1 to 46 are the readme (comments to the loader), 47 to 58 the
// default mappings, covering every zone index once.
constexpr DefaultLine kDefaultLines[] = {
    {";Vexilo", {}},
    {";", {}},
    {";PLEASE DON'T REMOVE THE ; CHARS AT THE START OF EACH LINE BECAUSE THESE ARE COMMENTS. DOING "
     "SO CAN RESULT IN A CRASH,",
     {}},
    {";EXCEPT THE ONE LINE YOU ARE TOLD TO OPTIONAL.", {}},
    {";YOU CAN REMOVE THE LINES COMPLETELY IF YOU DON'T NEED THE INSTRUCTIONS ANYMORE.", {}},
    {";WHEN YOU DELETE THIS FILE, YOU WILL GET A NEW STANDARD FILE CONTAINING THIS README AND "
     "STANDARD VALUES AGAIN.",
     {}},
    {";", {}},
    {";", {}},
    {";Introduction:", {}},
    {";This plugin adds a theoretical maximum number of 377 platebacks to choose from by changing "
     "the logic",
     {}},
    {";of how the game handles the decision of platebacks to use on vehicles.", {}},
    {";In the unmodified version of the game, the plateback is defined by weather zones,", {}},
    {";and the original code allows a maximum of 3 possible platebacks.", {}},
    {";", {}},
    {";Pre-Requisites:", {}},
    {";You need the Korrin Limit Adjuster (KLA) to change the plateback index.", {}},
    {";Download and install the latest KLA, for example here: ", kLimitAdjusterAddress},
    {";In the .ini file, there is this line: #Number of plate textures = 3.", {}},
    {";Remove the # and change the number to match the number of plateback textures you added or "
     "defined in the vehicles.txd.",
     {}},
    {";The vehicles.txd from the archive you unpacked earlier contains a total of 11 number "
     "plates, so if you just plan to use this one,",
     {}},
    {";change the number to 11, so that the line results in: Number of plate textures = 11", {}},
    {";Replace the vehicles.txd or just place the textures from my vehicles.txd into your "
     "vehicles.txd using, for example, MagicTXD.",
     {}},
    {";You can, of course, create your own platebacks and use them.", {}},
    {";IMPORTANT NOTE:", {}},
    {";When you plan to create your own platebacks, please use plateback1 for a plateback to use "
     "when no index is defined,",
     {}},
    {";as the game now chooses plateback1 for zone IDs that are not defined.", {}},
    {";", {}},
    {";Usage:", {}},
    {";You can define new platebacks in two ways:", {}},
    {";1. Exact Mapping: Set one Zone ID to one plateback.", {}},
    {";2. Range Mapping: Define a range of Zone IDs and set them to a single plateback.", {}},
    {";Currently, the zones are defined as structured on this site: ", kZoneListAddress},
    {";The array for the zone IDs inside the plugin is defined from top to bottom the same way. 0 "
     "for LA -> 376 for FRED.",
     {}},
    {";So a total of a theorectical maximum number of 377 platebacks. The array starts with 0 and "
     "ends at 376.",
     {}},
    {";So that means:", {}},
    {";0-62=1 -> Range Mapping - Uses plateback2 - Los Santos", {}},
    {";63=0 -> Exact Mapping - Uses plateback1 as an example for the not defined zone IDs if you "
     "don't want to define zones or you forget to define some zones.",
     {}},
    {";In this case, it is the starting zone of the game after the intro ended (JEF2) - Verdania",
     {}},
    {";64-146 -> Range Mapping - Uses plateback2 - Los Santos", {}},
    {";147-161 -> Range Mapping - Uses plateback3 - Red County", {}},
    {";and so on...", {}},
    {";If you uncomment the next line (remove the ; at the start of the line), you can activate "
     "the debug HUD to get help when you create new plateback zones.",
     {}},
    {";DEBUG", {}},
    {";", {}},
    {";Here you can now define the mappings", {}},
    {";", {}},
    {"0-62=1", {}},
    {"63=0", {}},
    {"64-146=1", {}},
    {"147-161=2", {}},
    {"162-209=3", {}},
    {"210-231=4", {}},
    {"232-240=5", {}},
    {"241-330=6", {}},
    {"331-339=7", {}},
    {"340-356=8", {}},
    {"357-363=9", {}},
    {"364-376=10", {}},
};

static_assert(sizeof kDefaultLines / sizeof kDefaultLines[0] == 58,
              "the default file has 58 lines");

}  // namespace

std::string DefaultMappingFileText() {
  std::string text;
  text.reserve(6 * 1024);
  for (const DefaultLine& line : kDefaultLines) {
    text.append(line.text).append(line.link).append(kDefaultLineEnd);
  }
  return text;
}

}  // namespace vexilo
